// One reader per library between real processes: two starts a moment apart (0 to 0.3 s) find each
// other in 20 rounds out of 20, whether the second comes by a link to the folder or with another TMPDIR;
// the folder they meet in is used only when it is this user's alone. Each start is this program run
// again as a child (`--claim FOLDER`), which claims the library as the reader does before its window.
#include "shell/SingleInstance.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The child: claims the library and says how; the first holds it until its input closes.
int ClaimAndHold(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    const SingleInstance::Claim claim = instance.TakeLibrary(15000);
    const char *names[] = {"first", "handed-over", "alone", "refused"};
    std::printf("%s %s\n", names[int(claim)], instance.Reason().toUtf8().constData());
    std::fflush(stdout);
    if (claim != SingleInstance::Claim::First) return 0;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) app.quit();
    });
    return app.exec();
}

QProcess *StartClaim(const QString &folder, const QStringList &environment = {}) {
    auto *p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &item : environment)
        env.insert(item.section('=', 0, 0), item.section('=', 1));
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(), {"--claim", folder});
    return p;
}

QByteArray FirstWord(QProcess *p) {
    // What came while the test waited is read already: wait only for a line not yet there.
    while (!p->canReadLine() && p->waitForReadyRead(20000)) {
    }
    return p->readLine().split(' ').value(0).trimmed();
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoStartsMomentsApartGiveOneHolder();
    void meetingFolderMustBeTheUsersAlone();
};

void TestSingleInstance::twoStartsMomentsApartGiveOneHolder() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("lib") && QDir(dir.path()).mkpath("tmp2") &&
            QDir().mkpath(dir.filePath("run")));
    QFile::setPermissions(dir.filePath("run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(QFile::link(dir.filePath("lib"), dir.filePath("link")));
    qputenv("XDG_RUNTIME_DIR", dir.filePath("run").toLocal8Bit());
    int oneHolder = 0;
    for (int round = 0; round < 20; ++round) {
        const int gapMs = round * 15; // 0 to 0.285 s
        std::unique_ptr<QProcess> a(StartClaim(dir.filePath("lib")));
        QTest::qWait(gapMs);
        std::unique_ptr<QProcess> b(round % 2
                                        ? StartClaim(dir.filePath("link"), {"TMPDIR=" + dir.filePath("tmp2")})
                                        : StartClaim(dir.filePath("lib")));
        QByteArrayList words{FirstWord(a.get()), FirstWord(b.get())};
        std::sort(words.begin(), words.end());
        if (words == QByteArrayList{"first", "handed-over"})
            ++oneHolder;
        else
            qWarning() << "round" << round << "gap" << gapMs << words;
        a->closeWriteChannel();
        b->closeWriteChannel();
        QVERIFY(a->waitForFinished(10000) && b->waitForFinished(10000));
    }
    QCOMPARE(oneHolder, 20);
}

void TestSingleInstance::meetingFolderMustBeTheUsersAlone() {
    QTemporaryDir dir;
    struct Case {
        const char *name;
        std::function<void(const QString &)> make;
        bool usable;
    };
    const bool root = ::getuid() == 0;
    const Case cases[] = {
        {"made here", [](const QString &) {}, true},
        {"private",
         [](const QString &p) {
             QDir().mkdir(p);
             ::chmod(QFile::encodeName(p), 0700);
         },
         true},
        {"others may write",
         [](const QString &p) {
             QDir().mkdir(p);
             ::chmod(QFile::encodeName(p), 0777);
         },
         false},
        {"a link to a private folder",
         [&](const QString &p) {
             QDir().mkdir(p + "-target");
             ::chmod(QFile::encodeName(p + "-target"), 0700);
             QFile::link(p + "-target", p);
         },
         false},
        {"a file",
         [](const QString &p) {
             QFile f(p);
             f.open(QIODevice::WriteOnly);
         },
         false},
    };
    int i = 0;
    for (const Case &c : cases) {
        const QString path = dir.filePath(QString::number(i++));
        c.make(path);
        QString why;
        QCOMPARE(!SingleInstance::PrivateFolder(path, true, &why).isEmpty(), c.usable);
        QVERIFY2(c.usable == why.isEmpty(), c.name);
    }
    if (!root) QSKIP("a folder of another user needs root to make");
    const QString other = dir.filePath("nobody");
    QDir().mkdir(other);
    ::chmod(QFile::encodeName(other), 0700);
    QVERIFY(::chown(QFile::encodeName(other), 65534, 65534) == 0);
    QString why;
    QVERIFY(SingleInstance::PrivateFolder(other, true, &why).isEmpty());
    QVERIFY2(why.contains("另一個使用者"), qPrintable(why));
}

int main(int argc, char **argv) {
    if (argc == 3 && qstrcmp(argv[1], "--claim") == 0) return ClaimAndHold(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_singleinstance.moc"
