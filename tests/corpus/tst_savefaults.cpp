// Saving positions under faults a real machine has: a file-size limit reached near the end of the save,
// a disk full from the start or during the save, no thread to be had, memory running out. Each save
// runs in a forked child that suffers the fault; the test then compares the notes file byte for byte
// and lists its folder. A failed save must raise the program's error naming the file and the system's
// reason, leave the old file byte-identical and leave no temporary file.
#include "common/Error.h"
#include "corpus/Data.h"
#include "support/BigNotes.h"
#include "support/FaultChild.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <set>
#include <thread>

#include <grp.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString kName = QStringLiteral("velmora200_K.xml");

// How many bytes of `old` a file that should still hold `old` has lost: everything from the first byte
// where they differ. 0 when they are equal.
qint64 BytesLost(const QByteArray &old, const QByteArray &now) {
    if (now == old) return 0;
    const qsizetype n = qMin(old.size(), now.size());
    qsizetype same = 0;
    while (same < n && old[same] == now[same])
        ++same;
    return qMax<qint64>(1, old.size() - same);
}

// The child's address space in use, from /proc/self/status.
rlim_t VirtualSize() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return rlim_t(line.mid(7).trimmed().split(' ').value(0).toLongLong()) * 1024;
    }
    return 0;
}

// Large blocks always come from the system and go back to it when freed (a fixed threshold), and every
// thread allocates from the one main heap (a thread's own heap reserves 64 MB of address space ahead,
// which a failed allocation would fall back on): set before the test allocates anything, so that under
// a memory limit a save has to ask the system for what it needs.
const int kLargeBlocksMapped = mallopt(M_MMAP_THRESHOLD, 64 * 1024) + mallopt(M_ARENA_MAX, 1);

} // namespace

class TestSaveFaults : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString path_;   // the notes file in dir_
    QByteArray old_; // its bytes before every save
    QByteArray new_; // what a complete save of nb_ writes
    Notebook nb_;    // loaded from path_, with positions moved

    void restore() {
        QFile::remove(path_);
        WriteFile(dir_, old_, kName);
    }

    // The checks every failed save must pass; `reason` is the system's text expected in the message.
    void checkFailed(const ChildOutcome &o, const QString &file, const QByteArray &now, const QString &folder,
                     const QStringList &allowed, const char *reason) {
        QVERIFY2(o.threwVelmoraError(), o.describe().constData());
        QVERIFY2(o.report.contains(file.toUtf8()), o.describe().constData());
        QVERIFY2(o.report.contains(reason), o.describe().constData());
        QVERIFY2(!o.report.contains("Unknown error"), o.describe().constData());
        QVERIFY2(now == old_, qPrintable(QStringLiteral("%1 bytes lost (%2 now, %3 before)")
                                             .arg(BytesLost(old_, now))
                                             .arg(now.size())
                                             .arg(old_.size())));
        QCOMPARE(FolderFiles(folder), allowed);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        old_ = MakeNotesBytes(1 << 20);
        path_ = WriteFile(dir_, old_, kName);
        nb_.LoadNotes(path_);
        QVERIFY(MovePositions(nb_, 4, 1) > 100);
        // The bytes a complete save writes: the same save into a copy.
        QTemporaryDir other;
        const QString copy = WriteFile(other, old_, kName);
        nb_.SavePositions(copy);
        new_ = ReadFile(copy);
        QVERIFY(new_ != old_);
        QVERIFY(new_.size() > 64 * 1024);
        QCOMPARE(ReadFile(path_), old_);
    }

    // A file-size limit (RLIMIT_FSIZE, which also binds root) stepped over the last 20 KB of the save,
    // every 512 bytes and at the edges, plus a few limits far from the end: every step must fail.
    void fileSizeLimitSweep() {
        const qint64 n = new_.size();
        std::set<qint64> limits{0, 3, 4096, n / 2, n - 1, n - 20 * 1024};
        for (qint64 l = n - 20 * 1024; l < n; l += 512)
            limits.insert(l);
        qint64 lost = 0;
        int steps = 0;
        for (const qint64 limit : limits) {
            restore();
            const ChildOutcome o = RunInChild([&](QByteArray &) {
                LimitFileSize(rlim_t(limit));
                nb_.SavePositions(path_);
            });
            const QByteArray now = ReadFile(path_);
            lost += BytesLost(old_, now);
            ++steps;
            const QByteArray where =
                "limit " + QByteArray::number(limit) + " of " + QByteArray::number(n) + ": ";
            QVERIFY2(o.threwVelmoraError(), (where + o.describe()).constData());
            checkFailed(o, path_, now, dir_.path(), {kName}, "檔案太大");
        }
        qInfo("notes file-size limit: %d steps over the last 20 KB of a %lld-byte save, %lld bytes lost",
              steps, n, lost);
        QCOMPARE(lost, 0);
    }

    // A real full disk (a small tmpfs in a private mount namespace of the child; needs root), full
    // before the save begins and full half way through it.
    void diskFull_data() {
        QTest::addColumn<qint64>("room");
        QTest::newRow("full from the start") << qint64(0);
        QTest::newRow("full during the save") << qint64(new_.size() / 2);
    }
    void diskFull() {
        QFETCH(qint64, room);
        QTemporaryDir dir;
        const QString disk = dir.filePath(QStringLiteral("disk"));
        QVERIFY(QDir().mkpath(disk));
        const QString file = disk + u'/' + kName;
        const ChildOutcome o = RunInChild([&](QByteArray &report) {
            if (!MountSmallDisk(disk, old_.size() + new_.size() + (1 << 20))) {
                report = "no-disk";
                return;
            }
            QFile f(file);
            if (!f.open(QIODevice::WriteOnly) || f.write(old_) != old_.size() || !f.flush()) {
                report = "no-file";
                return;
            }
            f.close();
            if (!FillDisk(disk, QStringLiteral("filler"), room)) {
                report = "no-fill";
                return;
            }
            auto after = [&] {
                report = "\nbytes=" + ReadFile(file).toBase64() +
                         "\nfiles=" + FolderFiles(disk).join(u'|').toUtf8();
            };
            try {
                nb_.SavePositions(file);
            } catch (...) {
                after();
                throw;
            }
            after();
        });
        if (o.report.startsWith("ok\nno-")) QSKIP(("cannot make a small disk here: " + o.report).constData());
        QByteArray now;
        QStringList files;
        for (const QByteArray &line : o.report.split('\n')) {
            if (line.startsWith("bytes=")) now = QByteArray::fromBase64(line.mid(6));
            if (line.startsWith("files=")) files = QString::fromUtf8(line.mid(6)).split(u'|');
        }
        QVERIFY2(o.threwVelmoraError(), o.describe().left(400).constData());
        QVERIFY2(o.report.contains(file.toUtf8()), o.describe().left(400).constData());
        QVERIFY2(o.report.contains("裝置上已無空間"), o.describe().left(400).constData());
        QVERIFY2(!o.report.contains("Unknown error"), o.describe().left(400).constData());
        QCOMPARE(BytesLost(old_, now), 0);
        QCOMPARE(files, QStringList({QStringLiteral("filler"), kName}));
    }

    // No thread can be started (RLIMIT_NPROC 0; root is exempt from it, so the child first becomes
    // "nobody"): the save must not fail with std::system_error. It needs no second thread, so it
    // writes the file all the same.
    void threadCreationFails() {
        restore();
        const bool root = ::geteuid() == 0;
        if (root) {
            QVERIFY(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7777)));
            QVERIFY(QFile::setPermissions(path_, QFileDevice::Permissions(0x6666)));
        }
        const ChildOutcome o = RunInChild([&](QByteArray &report) {
            if (root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                report = "no-nobody";
                return;
            }
            const rlimit none{0, 0};
            ::setrlimit(RLIMIT_NPROC, &none);
            try {
                std::thread([] {}).join();
                report = "\nthread-started";
                return;
            } catch (const std::system_error &) {
            }
            report = "\nthread-refused";
            nb_.SavePositions(path_);
        });
        if (root) QVERIFY(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7000)));
        if (!o.report.contains("thread-refused"))
            QSKIP(("threads could not be forbidden: " + o.describe()).constData());
        QVERIFY2(o.succeeded(), o.describe().constData());
        QVERIFY(ReadFile(path_) == new_);
        QCOMPARE(FolderFiles(dir_.path()), QStringList{kName});
    }

    // The address space limited (RLIMIT_AS) to what the child already uses plus 0, 1, 2 ... 64 MB, on an
    // 8 MB file whose save needs more than that: allocations fail at every point of the save in turn
    // (large blocks are taken from the system, not from memory the heap already holds). Each step
    // either saves the whole file or raises the program's error naming the file with the old file
    // unchanged; nothing else (no std::bad_alloc, no std::system_error, no crash).
    void memoryLimitSweep() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer maps its shadow memory outside any limit a test can set");
#endif
        QTemporaryDir dir;
        const QByteArray old = MakeNotesBytes(8 << 20);
        const QString path = WriteFile(dir, old, kName);
        Notebook nb;
        nb.LoadNotes(path);
        MovePositions(nb, 5, 2);
        QByteArray expected;
        {
            QTemporaryDir other;
            const QString copy = WriteFile(other, old, kName);
            nb.SavePositions(copy);
            expected = ReadFile(copy);
        }
        int saved = 0;
        int refused = 0;
        qint64 lost = 0;
        for (int mb = 0; mb <= 64; ++mb) {
            const ChildOutcome o = RunInChild([&](QByteArray &) {
                const rlim_t limit = VirtualSize() + rlim_t(mb) * 1024 * 1024;
                const rlimit l{limit, limit};
                ::setrlimit(RLIMIT_AS, &l);
                nb.SavePositions(path);
            });
            const QByteArray now = ReadFile(path);
            const QByteArray where = "+" + QByteArray::number(mb) + " MB: ";
            QVERIFY2(o.signal == 0, (where + o.describe()).constData());
            QCOMPARE(FolderFiles(dir.path()), QStringList{kName});
            if (o.succeeded()) {
                QVERIFY2(now == expected, (where + "saved, but not the new file").constData());
                ++saved;
                QFile::remove(path);
                WriteFile(dir, old, kName);
                continue;
            }
            ++refused;
            lost += BytesLost(old, now);
            QVERIFY2(o.threwVelmoraError(), (where + o.describe()).constData());
            QVERIFY2(o.report.contains(path.toUtf8()), (where + o.describe()).constData());
            QVERIFY2(now == old, (where + "the old file changed").constData());
        }
        qInfo("memory limit: %d steps saved, %d refused with the program's error, %lld bytes lost", saved,
              refused, lost);
        QVERIFY(refused > 0);
        QVERIFY(saved > 0);
    }
};

QTEST_APPLESS_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
