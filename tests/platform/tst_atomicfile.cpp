// The whole-file replacement every writer of the program uses: streamed content, the old file kept on
// every failure, no temporary file left, permissions and links kept, letter case ignored.
#include "common/Error.h"
#include "platform/AtomicFile.h"
#include "support/FaultChild.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

class TestAtomicFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Pieces of every size, small ones gathered and large ones written straight, across the buffer's
    // edges: the file holds exactly what was written, and only it is in the folder.
    void streamsPieces() {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, "old", "f.txt");
        QRandomGenerator rng(3);
        QByteArray expected;
        {
            AtomicFile file(path);
            for (int i = 0; i < 400; ++i) {
                const int size = i % 7 == 0 ? rng.bounded(300000) : rng.bounded(2000);
                QByteArray piece(size, char('a' + i % 26));
                file.Write(piece);
                expected += piece;
            }
            QCOMPARE(ReadFile(path), QByteArray("old")); // nothing visible before the commit
            file.Commit();
        }
        QVERIFY(ReadFile(path) == expected);
        QCOMPARE(FolderFiles(dir.path()), QStringList{"f.txt"});
    }

    // A save killed between naming its temporary file and the rename leaves that file, named after the
    // process. The next save of the same file removes those of processes that have ended, and leaves
    // alone those of a running process (a save under way), other files' and names not of that form.
    void removesTemporariesOfEndedProcesses() {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, "old", "f.txt");
        const pid_t ended = ::fork();
        if (ended == 0) ::_exit(0);
        int status = 0;
        QCOMPARE(::waitpid(ended, &status, 0), ended);
        const QString dead = QStringLiteral(".f.txt.velmora-%1-9af3.tmp").arg(ended);
        const QString running = QStringLiteral(".f.txt.velmora-%1-77.tmp").arg(::getppid());
        const QStringList others = {QStringLiteral(".g.txt.velmora-%1-9af3.tmp").arg(ended),
                                    QStringLiteral(".f.txt.velmora-x-9af3.tmp"),
                                    QStringLiteral(".f.txt.velmora-%1-zz.tmp").arg(ended)};
        for (const QString &name : QStringList{dead, running} + others)
            WriteFile(dir, "left", name);
        AtomicFile file(path);
        file.Write("new");
        file.Commit();
        QStringList expected = QStringList{"f.txt", running} + others;
        expected.sort();
        QStringList found = FolderFiles(dir.path());
        found.sort();
        QCOMPARE(found, expected);
        QCOMPARE(ReadFile(path), QByteArray("new"));
    }

    // A new file is made when none exists; an empty content is a content.
    void createsFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("new.txt");
        AtomicFile file(path);
        file.Commit();
        QVERIFY(QFileInfo(path).isFile());
        QCOMPARE(ReadFile(path), QByteArray());
        QCOMPARE(FolderFiles(dir.path()), QStringList{"new.txt"});
    }

    // Not committed (an exception while the content was made): the old file stays, no file is left.
    void discardedWithoutCommit() {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, "old content", "f.txt");
        try {
            AtomicFile file(path);
            file.Write(QByteArray(500000, 'x'));
            file.Write("tail");
            throw std::runtime_error("made up");
        } catch (const std::runtime_error &) {
        }
        QCOMPARE(ReadFile(path), QByteArray("old content"));
        QCOMPARE(FolderFiles(dir.path()), QStringList{"f.txt"});
    }

    // A name as long as a name may be (255 bytes): the temporary file's name still fits.
    void longestName() {
        QTemporaryDir dir;
        const QString name = QString(251, u'n') + ".txt";
        const QString path = WriteFile(dir, "old", name);
        AtomicFile file(path);
        file.Write("new");
        file.Commit();
        QCOMPARE(ReadFile(path), QByteArray("new"));
        QCOMPARE(FolderFiles(dir.path()), QStringList{name});
    }

    // Refusals name the file as given and the reason; nothing is made or changed.
    void refusals_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "missing-folder" << QStringLiteral("沒有此檔案或資料夾");
        QTest::newRow("a folder where the file is") << "folder" << QStringLiteral("這是資料夾");
        QTest::newRow("read-only file") << "read-only"
                                        << "唯讀";
    }
    void refusals() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString path = dir.filePath("f.txt");
        if (kind == "missing-folder") path = dir.filePath("no/f.txt");
        if (kind == "folder") QVERIFY(QDir().mkdir(path));
        if (kind == "read-only") {
            WriteFile(dir, "old", "f.txt");
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        }
        const QStringList before = FolderFiles(dir.path());
        try {
            AtomicFile file(path, "Cannot write \"%1\": %2");
            file.Write("new");
            file.Commit();
            QFAIL("no error");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().startsWith("Cannot write \"" + path + "\": "), qPrintable(e.message()));
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
        QCOMPARE(FolderFiles(dir.path()), before);
        if (kind == "read-only") QCOMPARE(ReadFile(path), QByteArray("old"));
    }

    // Nothing more is taken once committed.
    void writeAfterCommitRefused() {
        QTemporaryDir dir;
        const QString path = dir.filePath("f.txt");
        AtomicFile file(path);
        file.Write("a");
        file.Commit();
        QVERIFY_THROWS_EXCEPTION(VelmoraError, file.Write("b"));
        QVERIFY_THROWS_EXCEPTION(VelmoraError, file.Commit());
        QCOMPARE(ReadFile(path), QByteArray("a"));
    }

    // The new file keeps the old one's permission bits.
    void keepsPermissions() {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, "old", "f.txt");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
        AtomicFile file(path);
        file.Write("new");
        file.Commit();
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
        QCOMPARE(int(st.st_mode & 07777), 0640);
    }

    // A symbolic link is followed: the file it points to is replaced, the link stays a link.
    void followsSymbolicLink() {
        QTemporaryDir dir;
        QVERIFY(QDir().mkdir(dir.filePath("real")));
        const QString real = WriteFile(dir, "old", "real/f.txt");
        const QString link = dir.filePath("link.txt");
        QVERIFY(QFile::link(real, link));
        AtomicFile file(link);
        file.Write("new");
        file.Commit();
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadFile(real), QByteArray("new"));
        QCOMPARE(FolderFiles(dir.filePath("real")), QStringList{"f.txt"});
    }

    // Found as the program's other paths are: another letter case, "\" between folders.
    void letterCase() {
        QTemporaryDir dir;
        QVERIFY(QDir().mkdir(dir.filePath("Folder")));
        const QString real = WriteFile(dir, "old", "Folder/File.TXT");
        AtomicFile file(dir.path() + "\\folder\\file.txt");
        QCOMPARE(file.Target(), QFileInfo(real).canonicalFilePath());
        file.Write("new");
        file.Commit();
        QCOMPARE(ReadFile(real), QByteArray("new"));
        QCOMPARE(FolderFiles(dir.filePath("Folder")), QStringList{"File.TXT"});
    }

    // Without /proc (hidden in the child's own mount namespace) a process without the right to link
    // any open file cannot give an unnamed file a name: it writes through a named temporary file, and
    // leaves none behind either. Needs root to hide /proc and then become "nobody".
    void namedTemporaryFile() {
        if (::geteuid() != 0) QSKIP("needs root to hide /proc");
        QTemporaryDir dir;
        const QString path = WriteFile(dir, "old", "f.txt");
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6666)));
        const ChildOutcome o = RunInChild([&](QByteArray &report) {
            if (!MountSmallDisk(QStringLiteral("/proc"), 1 << 20) || ::setgroups(0, nullptr) != 0 ||
                ::setgid(65534) != 0 || ::setuid(65534) != 0) {
                report = "no-setup";
                return;
            }
            report = ::access("/proc/self/fd", X_OK) == 0 ? "proc" : "no-proc";
            AtomicFile file(path);
            file.Write(QByteArray(100000, 'n'));
            file.Write("ew");
            // The named temporary file is there while the content is written.
            report += "\n" + FolderFiles(dir.path()).join(u'|').toUtf8();
            file.Commit();
        });
        if (o.report.endsWith("no-setup")) QSKIP("cannot hide /proc here");
        QVERIFY2(o.succeeded(), o.describe().constData());
        QVERIFY2(o.report.contains("no-proc\n.f.txt.velmora-") && o.report.contains(".tmp|f.txt"),
                 o.describe().constData());
        QVERIFY(ReadFile(path) == QByteArray(100000, 'n') + "ew");
        QCOMPARE(FolderFiles(dir.path()), QStringList{"f.txt"});
    }

    // A file-size limit: the error names the file and "檔案太大" wherever the limit strikes (in
    // the first piece, in a large piece written straight, in the last buffered bytes at the commit).
    void fileSizeLimit_data() {
        QTest::addColumn<qint64>("limit");
        for (qint64 limit : {0, 1, 4095, 70000, 300000, 399999})
            QTest::newRow(qPrintable(QString::number(limit))) << limit;
    }
    void fileSizeLimit() {
        QFETCH(qint64, limit);
        QTemporaryDir dir;
        const QString path = WriteFile(dir, "old", "f.txt");
        const ChildOutcome o = RunInChild([&](QByteArray &) {
            LimitFileSize(rlim_t(limit));
            AtomicFile file(path);
            file.Write(QByteArray(1000, 'a'));   // buffered
            file.Write(QByteArray(200000, 'b')); // straight
            for (int i = 0; i < 199; ++i)
                file.Write(QByteArray(1000, 'c')); // buffered, written at the commit
            file.Commit();
        });
        QVERIFY2(o.threwVelmoraError(), o.describe().constData());
        QVERIFY2(o.report.contains(path.toUtf8()) && o.report.contains("檔案太大"), o.describe().constData());
        QCOMPARE(ReadFile(path), QByteArray("old"));
        QCOMPARE(FolderFiles(dir.path()), QStringList{"f.txt"});
    }

    // The new file carries the old one's extended attributes, an access control list among them.
    void keepsExtendedAttributes() {
        QTemporaryDir dir(QString::fromLocal8Bit(qgetenv("VELMORA_TEST_TMP")) + "/xattr-XXXXXX");
        const QString path = WriteFile(dir, "old", "f.txt");
        const QByteArray name = QFile::encodeName(path);
        if (::setxattr(name.constData(), "user.velmora.tag", "紅", 3, 0) != 0)
            QSKIP("no user extended attributes on this file system");
        // An access list in the system's form: owner rw, user 4242 r, group r, mask r, others none.
        struct Entry {
            quint16 tag, perm;
            quint32 id;
        };
        QByteArray acl;
        const quint32 version = 2;
        acl.append(reinterpret_cast<const char *>(&version), 4);
        for (const Entry e : {Entry{0x01, 6, 0xFFFFFFFF}, Entry{0x02, 4, 4242}, Entry{0x04, 4, 0xFFFFFFFF},
                              Entry{0x10, 4, 0xFFFFFFFF}, Entry{0x20, 0, 0xFFFFFFFF}})
            acl.append(reinterpret_cast<const char *>(&e), 8);
        const bool withAcl = ::setxattr(name.constData(), "system.posix_acl_access", acl.constData(),
                                        size_t(acl.size()), 0) == 0;
        auto read = [&](const char *attribute) {
            QByteArray value(256, '\0');
            const ssize_t n = ::getxattr(name.constData(), attribute, value.data(), size_t(value.size()));
            return n < 0 ? QByteArray("<none>") : value.left(n);
        };
        const QByteArray aclBefore = read("system.posix_acl_access");
        AtomicFile file(path);
        file.Write("new");
        file.Commit();
        QCOMPARE(ReadFile(path), QByteArray("new"));
        QCOMPARE(read("user.velmora.tag"), QByteArray("紅"));
        if (!withAcl) QSKIP("no access control lists on this file system");
        QCOMPARE(read("system.posix_acl_access"), aclBefore);
    }
};

QTEST_APPLESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
