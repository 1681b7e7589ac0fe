#include "common/Error.h"
#include "platform/WinPath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void Touch(const QString &fileName) {
    QVERIFY(QDir().mkpath(QFileInfo(fileName).path()));
    QFile f(fileName);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(fileName));
}

} // namespace

// The fixture folder is the working directory, as the program's own folder is when it runs:
//   Image/K/ K001.jpg k002.JPG notes.txt sub.jpg/      Image/L/ (empty)
//   PDF/K/K1.pdf   Äpfel/x   Mixed/ mixed/   list/ (listing cases)
class TestWinPath : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString savedCwd_;
    QString root_;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        root_ = QFileInfo(dir_.path()).canonicalFilePath();
        Touch(root_ + "/Image/K/K001.jpg");
        Touch(root_ + "/Image/K/k002.JPG");
        Touch(root_ + "/Image/K/notes.txt");
        QVERIFY(QDir().mkpath(root_ + "/Image/K/sub.jpg"));
        QVERIFY(QDir().mkpath(root_ + "/Image/L"));
        Touch(root_ + "/PDF/K/K1.pdf");
        Touch(root_ + QStringLiteral("/Äpfel/x"));
        QVERIFY(QDir().mkpath(root_ + "/Mixed"));
        QVERIFY(QDir().mkpath(root_ + "/mixed"));
        savedCwd_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root_));
    }
    void cleanupTestCase() { QDir::setCurrent(savedCwd_); }

    void resolve_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected"); // relative to the fixture folder
        QTest::newRow("exact") << "Image/K/K001.jpg"
                               << "Image/K/K001.jpg";
        QTest::newRow("scan path of the notes") << ".\\image\\K\\K001.jpg"
                                                << "Image/K/K001.jpg";
        QTest::newRow("every component in other case") << "IMAGE\\k\\K002.jpg"
                                                       << "Image/K/k002.JPG";
        QTest::newRow("doubled separators") << ".\\\\image//K\\/K001.jpg"
                                            << "Image/K/K001.jpg";
        QTest::newRow("trailing separator") << "image\\k\\"
                                            << "Image/K";
        QTest::newRow("dot dot by its text") << ".\\image\\..\\pdf\\k\\k1.PDF"
                                             << "PDF/K/K1.pdf";
        QTest::newRow("unicode case") << QStringLiteral("äPFEL\\X") << QStringLiteral("Äpfel/x");
        QTest::newRow("exact name preferred") << "mixed"
                                              << "mixed";
        QTest::newRow("several matches: exact-order first") << "MIXED"
                                                            << "Mixed";
        QTest::newRow("missing file kept as written") << "image\\k\\Missing.jpg"
                                                      << "Image/K/Missing.jpg";
        QTest::newRow("rest after a missing folder unchanged") << "image\\Q\\sub\\K001.jpg"
                                                               << "Image/Q/sub/K001.jpg";
        QTest::newRow("component under a file") << "image\\k\\k001.jpg\\x"
                                                << "Image/K/K001.jpg/x";
        QTest::newRow("empty is the working directory") << ""
                                                        << "";
    }
    void resolve() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(ResolveWinPath(path), expected.isEmpty() ? root_ : root_ + u'/' + expected);
    }

    void absolutePaths() {
        // The program's folder ends in a separator, and the folder names follow it with another.
        QCOMPARE(ResolveWinPath(root_ + "/\\image\\k\\"), root_ + "/Image/K");
        QCOMPARE(ResolveWinPath(root_ + "\\Image\\K\\k001.JPG"), root_ + "/Image/K/K001.jpg");
        QCOMPARE(ResolveWinPath("/"), QStringLiteral("/"));
    }

    void missingFileFailsToOpen() {
        QFile f(ResolveWinPath(".\\image\\x\\x.JPG"));
        QVERIFY(!f.open(QIODevice::ReadOnly));
        QCOMPARE(f.error(), QFileDevice::OpenError);
        QVERIFY2(f.errorString().contains("No such file"), qPrintable(f.errorString()));
    }

    void listFolder() {
        // The shape of the scans listing: program folder + "\Image\" + letter + "\".
        QCOMPARE(ListFolderFiles(root_ + "/\\Image\\K\\", "*.jpg"), (QStringList{"K001.jpg", "k002.JPG"}));
        QCOMPARE(ListFolderFiles(root_ + "\\image\\l\\", "*.jpg"), QStringList());
        QCOMPARE(ListFolderFiles("pdf\\K", "*.PDF"), QStringList{"K1.pdf"});
    }

    void listOrderAndPattern_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("expected");
        // Upper-cased code units order the names, as on Windows: "." before letters, "_" and "[" after.
        const QStringList jpgs{".hidden.jpg", "A.JPG",   "a2.jpg", "b.jpg",   "C.jpg",
                               "Ka.jpg",      "K_1.jpg", "z.jpg",  "[ab].jpg"};
        QTest::newRow("by name, case ignored") << "*.jpg" << jpgs;
        QTest::newRow("pattern case ignored") << "*.JPG" << jpgs;
        QTest::newRow("question mark") << "?.jpg" << QStringList{"A.JPG", "b.jpg", "C.jpg", "z.jpg"};
        QTest::newRow("brackets are literal") << "[ab].jpg" << QStringList{"[ab].jpg"};
        QTest::newRow("dot is literal") << "a.jpg" << QStringList{"A.JPG"};
        QTest::newRow("files only") << "*" << QStringList{".hidden.jpg", "A.JPG",     "a2.jpg",  "b.jpg",
                                                          "C.jpg",       "Ka.jpg",    "K_1.jpg", "notes.txt",
                                                          "z.jpg",       "z.jpg.txt", "[ab].jpg"};
    }
    void listOrderAndPattern() {
        QFETCH(QString, pattern);
        QFETCH(QStringList, expected);
        const QString folder = root_ + "/list";
        if (!QFileInfo::exists(folder)) {
            for (const char *name : {"b.jpg", "A.JPG", "a2.jpg", "C.jpg", "K_1.jpg", "Ka.jpg", "z.jpg",
                                     "z.jpg.txt", "notes.txt", ".hidden.jpg", "[ab].jpg"})
                Touch(folder + '/' + QString::fromLatin1(name));
            QVERIFY(QDir().mkpath(folder + "/d.jpg"));
            QVERIFY(QDir().mkpath(folder + "/y"));
        }
        QCOMPARE(ListFolderFiles(folder, pattern), expected);
    }

    // The message names the folder as this system writes paths: one kind of separator, none doubled or
    // trailing, relative paths made absolute, and the found parts in their letter case on disk.
    void listMissingFolder_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("shown"); // relative to the fixture folder
        QTest::newRow("missing letter folder") << root_ + "/\\image\\M\\"
                                               << "Image/M";
        QTest::newRow("missing relative") << "nowhere"
                                          << "nowhere";
        QTest::newRow("a file, not a folder") << "image\\k\\K001.jpg"
                                              << "Image/K/K001.jpg";
    }
    void listMissingFolder() {
        QFETCH(QString, folder);
        QFETCH(QString, shown);
        try {
            ListFolderFiles(folder, "*.jpg");
            QFAIL("no error raised");
        } catch (const VelmoraError &e) {
            QCOMPARE(e.message(), QStringLiteral("The specified path was not found (\"%1\")")
                                      .arg(QDir::toNativeSeparators(root_ + '/' + shown)));
        }
    }
};

QTEST_GUILESS_MAIN(TestWinPath)
#include "tst_winpath.moc"
