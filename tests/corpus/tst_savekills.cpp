// A save of a 30 MB notes file killed (SIGKILL) at random moments, 20 times: the file is byte for byte
// either the file before that save or the file the save was writing. The folder holds the notes file and
// nothing else, except in one case no program can close: a kill in the few microseconds between naming
// the finished temporary file and renaming it over the notes file leaves that file, named after the
// killed process; the next save removes it.
#include "corpus/Data.h"
#include "support/BigNotes.h"
#include "support/FaultChild.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kName = QStringLiteral("velmora200_K.xml");

// The save runs in a child that tells the parent through a pipe the moment it starts it.
struct SaveChild {
    pid_t pid = -1;
    int ready = -1; // read end: one byte when the save begins

    void start(const Notebook &nb, const QString &path) {
        int fds[2];
        if (::pipe(fds) != 0) qFatal("pipe");
        pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            (void)!::write(fds[1], "s", 1);
            int code = 0;
            try {
                nb.SavePositions(path);
            } catch (...) {
                code = 2;
            }
            ::_exit(code);
        }
        ::close(fds[1]);
        ready = fds[0];
        char c;
        while (::read(ready, &c, 1) < 0 && errno == EINTR) {
        }
    }
    // Whether the child is still running its save.
    bool running() {
        if (reaped) return false;
        reaped = ::waitpid(pid, &status, WNOHANG) == pid;
        return !reaped;
    }
    // 0: exited 0; >0 the signal that ended it; <0 exited with another code.
    int finish() {
        while (!reaped && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        reaped = true;
        ::close(ready);
        if (WIFSIGNALED(status)) return WTERMSIG(status);
        return WEXITSTATUS(status) == 0 ? 0 : -1;
    }

private:
    bool reaped = false;
    int status = 0;
};

// Whether process `pid` holds a file open in `folder` other than `target`: the save's temporary file,
// named or not (an unnamed one reads "folder/#inode (deleted)").
bool WritingInto(pid_t pid, const QString &folder, const QString &target) {
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString link = QFile::symLinkTarget(fds.filePath(fd));
        if (link.startsWith(folder + u'/') && link != target) return true;
    }
    return false;
}

} // namespace

class TestSaveKills : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedSaves();
};

void TestSaveKills::killedSaves() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = QFileInfo(dir.path()).canonicalFilePath();
    const QString path = folder + u'/' + kName;
    {
        const QByteArray made = MakeNotesBytes(30 << 20);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(made) == made.size());
    }
    Notebook nb;
    nb.LoadNotes(path);
    // Two saves first: the position lines the writer adds, joined to their headwords by LF, get CR LF
    // on the second. From then on a save's result depends only on the positions, not on the file before.
    MovePositions(nb, 3, 7);
    nb.SavePositions(path);
    nb.SavePositions(path);
    const QByteArray original = ReadFile(path);

    // Two position sets take turns, so every save changes the file. Their complete results, made by
    // the same save into a copy.
    QByteArray result[2];
    {
        QTemporaryDir other;
        const QString copy = QFileInfo(other.path()).canonicalFilePath() + u'/' + kName;
        for (int set = 0; set < 2; ++set) {
            QFile::remove(copy);
            QVERIFY(QFile::copy(path, copy));
            MovePositions(nb, 3, set);
            nb.SavePositions(copy);
            result[set] = ReadFile(copy);
        }
    }
    QVERIFY(result[0] != original && result[1] != original && result[0] != result[1]);

    // Where a kill can do harm is from the moment the save opens its temporary file to the moment it
    // has renamed it over the notes file. Each round waits for that first moment (the child's open
    // files, polled every millisecond), then kills after a random part of 1.3 times the longest writing time
    // seen so far: some kills fall into the writing, some onto the rename, some after the end. Every save
    // starts with nothing else waiting to be written to disk, so that its flush to disk takes the time its
    // own file needs.
    auto startSave = [&](SaveChild &child) {
        ::sync();
        child.start(nb, path);
        QElapsedTimer waited;
        waited.start();
        while (child.running() && !WritingInto(child.pid, folder, path) && waited.elapsed() < 60000)
            ::usleep(1000);
    };
    QElapsedTimer clock;
    qint64 writing = 0; // the longest time from the temporary file's opening to the end of the save
    for (int set = 0; set < 2; ++set) {
        MovePositions(nb, 3, set);
        SaveChild timing;
        startSave(timing);
        clock.start();
        while (timing.running())
            ::usleep(1000);
        writing = qMax(writing, clock.nsecsElapsed());
        QCOMPARE(timing.finish(), 0);
        QVERIFY(ReadFile(path) == result[set]);
    }
    qInfo("a %lld-byte save writes and renames its file in %.0f ms", qint64(result[0].size()), writing / 1e6);

    QByteArray before = result[1];
    int killedWhileSaving = 0;
    int oldKept = 0;
    int newWritten = 0;
    int leftNamed = 0; // killed between naming the temporary file and the rename
    const int kills = 20;
    QRandomGenerator rng(20240611);
    for (int k = 0; k < kills; ++k) {
        const int set = k % 2;
        MovePositions(nb, 3, set);
        const qint64 at = qint64(rng.bounded(double(writing) * 1.3));
        SaveChild child;
        startSave(child);
        clock.start();
        while (clock.nsecsElapsed() < at) {
        }
        ::kill(child.pid, SIGKILL);
        const qint64 ran = clock.nsecsElapsed();
        const int end = child.finish();
        QVERIFY2(end == SIGKILL || end == 0, qPrintable(QStringLiteral("child ended with %1").arg(end)));
        if (end == SIGKILL)
            ++killedWhileSaving;
        else
            writing = qMax(writing, ran);

        const QByteArray now = ReadFile(path);
        const QStringList files = FolderFiles(folder);
        const QString leftOver = QStringLiteral(".%1.velmora-%2-").arg(kName).arg(child.pid);
        const bool named = files.size() == 2 && files.contains(kName) &&
                           (files.first() == kName ? files.last() : files.first()).startsWith(leftOver);
        if (named) ++leftNamed;
        QVERIFY2(files == QStringList{kName} || named,
                 qPrintable(QStringLiteral("kill %1: the folder holds %2").arg(k).arg(files.join(u' '))));
        QVERIFY2(now == before || now == result[set],
                 qPrintable(QStringLiteral(
                                "kill %1 at %2 ms: the file is neither the old nor the new one (%3 bytes)")
                                .arg(k)
                                .arg(at / 1e6)
                                .arg(now.size())));
        (now == result[set] ? newWritten : oldKept) += 1;
        before = now;
    }
    qInfo(
        "%d kills of a %lld-byte save (%d while it ran): %d left the old file, %d the new one, 0 bytes lost; "
        "%d left a named temporary file that the next save removed",
        kills, qint64(result[0].size()), killedWhileSaving, oldKept, newWritten, leftNamed);
    QVERIFY(killedWhileSaving > 0);

    // And the file still saves.
    MovePositions(nb, 3, 0);
    nb.SavePositions(path);
    QVERIFY(ReadFile(path) == result[0]);
    QCOMPARE(FolderFiles(folder), QStringList{kName});
}

QTEST_APPLESS_MAIN(TestSaveKills)
#include "tst_savekills.moc"
