// Which notes library the reader opens: real folders on disk, a real settings folder.
#include "common/Error.h"
#include "shell/LibraryLocation.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestLibraryLocation : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString path(const QString &relative) const { return root_.filePath(relative); }
    // A folder with the first notes file, which is what makes it a library the reader starts in.
    QString library(const QString &relative) const {
        QDir().mkpath(path(relative));
        WriteFile(root_, "<條目>", relative + "/velmora200_k.xml");
        return path(relative);
    }
    LibrarySources sources(const QString &programFolder, const QString &requested = {}) const {
        QDir().mkpath(path(programFolder));
        return {path(programFolder + "/velmoranote"), requested, path("config"), path("share/demo")};
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(root_.isValid());
        library("share/demo");
    }
    void init() { QFile::remove(path("config/library.ini")); }

    // Started in a folder that holds notes (the build tree): nothing moves, even with a library
    // remembered.
    void programFolderWithNotes() {
        const QString programFolder = library("build/demo");
        RememberLibrary(path("config"), library("mine"));
        const LibraryChoice choice = ChooseLibrary(sources("build/demo"));
        QCOMPARE(choice.programPath, programFolder + "/velmoranote");
        QCOMPARE(choice.workingFolder, QString());
        QCOMPARE(choice.settingsFolder, programFolder + "/");
    }

    // Anywhere else: the folder asked for, else the one remembered, else the demo. The program path
    // lies inside the library, so its setup.ini and letter folders are the ones found.
    void chosenLibrary_data() {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("settings");
        QTest::newRow("asked for") << "mine"
                                   << ""
                                   << "mine"
                                   << "mine";
        QTest::newRow("asked for over remembered") << "mine"
                                                   << "other"
                                                   << "mine"
                                                   << "mine";
        QTest::newRow("remembered") << ""
                                    << "other"
                                    << "other"
                                    << "other";
        QTest::newRow("remembered but gone") << ""
                                             << "gone"
                                             << "share/demo"
                                             << "config";
        QTest::newRow("nothing: the demo") << ""
                                           << ""
                                           << "share/demo"
                                           << "config";
        QTest::newRow("demo asked for") << "share/demo"
                                        << ""
                                        << "share/demo"
                                        << "config";
    }
    void chosenLibrary() {
        QFETCH(QString, requested);
        QFETCH(QString, remembered);
        QFETCH(QString, expected);
        QFETCH(QString, settings);
        library("mine");
        library("other");
        if (!remembered.isEmpty()) RememberLibrary(path("config"), path(remembered));
        const LibraryChoice choice =
            ChooseLibrary(sources("usr/bin", requested.isEmpty() ? QString() : path(requested)));
        QCOMPARE(choice.workingFolder, path(expected));
        QCOMPARE(choice.programPath, path(expected) + "/velmoranote");
        QCOMPARE(choice.settingsFolder, path(settings) + "/");
        // Only a remembered library that has gone is worth a word: the user expected it.
        const bool gone = remembered == "gone";
        QVERIFY2(gone ? choice.notice.contains(path("gone")) : choice.notice.isEmpty(),
                 qPrintable(choice.notice));
    }

    // A library the user cannot write keeps the window settings in the user's settings folder.
    void readOnlyLibrary() {
        if (geteuid() == 0) QSKIP("root writes into read-only folders");
        const QString shared = library("readonly");
        QVERIFY(QFile::setPermissions(shared, QFile::ReadOwner | QFile::ExeOwner));
        const LibraryChoice choice = ChooseLibrary(sources("usr/bin", shared));
        QFile::setPermissions(shared, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(choice.workingFolder, shared);
        QCOMPARE(choice.settingsFolder, path("config") + "/");
    }

    // A folder asked for that is missing or holds no notes is refused, named.
    void refusedFolderNamed_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("missing") << "nowhere";
        QTest::newRow("without notes") << "empty";
    }
    void refusedFolderNamed() {
        QFETCH(QString, folder);
        QDir().mkpath(path("empty"));
        try {
            ChooseLibrary(sources("usr/bin", path(folder)));
            QFAIL("no error for a folder without notes");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains(path(folder)), qPrintable(e.message()));
        }
    }

    // A remembered folder that lost its notes is passed over for the demo as one that has gone.
    void rememberedWithoutNotes() {
        QDir().mkpath(path("emptied"));
        RememberLibrary(path("config"), path("emptied"));
        const LibraryChoice choice = ChooseLibrary(sources("usr/bin"));
        QCOMPARE(choice.workingFolder, path("share/demo"));
        QVERIFY(choice.notice.contains(path("emptied")));
    }

    // Remembering keeps the rest of the file, stores the absolute path, and a failure names the file
    // and leaves the old one as it was.
    void remembering() {
        QDir().mkpath(path("config"));
        WriteFile(root_, "[Other]\nKey=1\n", "config/library.ini");
        const QString relative = QDir::current().relativeFilePath(library("mine"));
        RememberLibrary(path("config"), relative);
        QCOMPARE(RememberedLibrary(path("config")), path("mine"));
        QVERIFY(ReadFile(path("config/library.ini")).contains("Key=1"));

        QDir().mkpath(path("blockedconfig/library.ini")); // a folder where the file should go
        try {
            RememberLibrary(path("blockedconfig"), path("other"));
            QFAIL("no error when the file cannot be written");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains(path("blockedconfig/library.ini")), qPrintable(e.message()));
        }
        QCOMPARE(RememberedLibrary(path("config")), path("mine"));
    }
};

QTEST_GUILESS_MAIN(TestLibraryLocation)
#include "tst_librarylocation.moc"
