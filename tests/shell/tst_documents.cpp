// The manual and the PDF volumes: opened by the desktop's opener when it has an application for them,
// else in the reader's own PDF window; a missing or broken file is said with its path. And the
// desktop's standard keys: F1 for the manual, Shift+F1 for the About box, Ctrl+Q to quit.
// The desktop's opener is a script on the PATH that answers as xdg-open does: 0 when an application
// took the file, 3 when none was found.
#include "images/PdfWindow.h"
#include "shell/AboutBox.h"
#include "shell/MainWindow.h"
#include "support/ReaderFixture.h"
#include "widgets/ErrorBoundary.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QtTest>

namespace {

struct Folder : ReaderFixture {
    Folder() { writeNotes("<條目>一</條目>\n<內容>a</內容>\n"); }
    void writePdf(const QString &relative, int pages) const {
        QPdfWriter writer(path(relative));
        QPainter painter(&writer);
        for (int page = 0; page < pages; ++page) {
            if (page > 0) writer.newPage();
            painter.drawText(100, 100, QStringLiteral("page %1").arg(page + 1));
        }
    }
};

PdfWindow *OpenPdfWindow() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *pdf = qobject_cast<PdfWindow *>(w); pdf && pdf->isVisible()) return pdf;
    return nullptr;
}

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT
    QStringList errors;
    QTemporaryDir bin_;
    QByteArray oldPath_;

    // The desktop's opener answers `code`, and notes the file it was given.
    void opener(int code) {
        QFile script(bin_.filePath("xdg-open"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\nexit %2\n")
                         .arg(bin_.filePath("opened"))
                         .arg(code)
                         .toUtf8());
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        QFile::remove(bin_.filePath("opened"));
    }
    QString opened() const {
        QFile f(bin_.filePath("opened"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
    }
    static void closePdfWindows() {
        while (PdfWindow *w = OpenPdfWindow())
            w->close();
        QApplication::processEvents();
    }

private Q_SLOTS:
    void initTestCase() {
        QCoreApplication::setApplicationVersion("9.8.7");
        oldPath_ = qgetenv("PATH");
        qputenv("PATH", bin_.path().toUtf8() + ':' + oldPath_);
    }
    void cleanupTestCase() { qputenv("PATH", oldPath_); }
    void init() {
        errors.clear();
        SetErrorDisplayForTesting([this](const QString &m) { errors << m; });
    }
    void cleanup() {
        closePdfWindows();
        SetErrorDisplayForTesting(nullptr);
    }

    // The desktop has an application: it gets the file, and the reader shows nothing of its own.
    void desktopApplicationOpensIt() {
        Folder fx;
        fx.writePdf("readme.pdf", 1);
        opener(0);
        MainWindow w(fx.programPath());
        w.show();
        QTest::mouseClick(w.findChild<QPushButton *>("btReadme"), Qt::LeftButton);
        QTRY_COMPARE(opened(), fx.path("readme.pdf"));
        QTest::qWait(300);
        QVERIFY(!OpenPdfWindow());
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    }

    // No application for PDFs (F1, as the manual button): the reader's own window shows the pages,
    // says why with the file's path and what to install, and turns pages and zooms.
    void noApplicationOwnWindow() {
        Folder fx;
        fx.writePdf("readme.pdf", 3);
        opener(3);
        MainWindow w(fx.programPath());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F1);
        QTRY_VERIFY(OpenPdfWindow());
        PdfWindow *pdf = OpenPdfWindow();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QCOMPARE(pdf->PageCount(), 3);
        QCOMPARE(pdf->CurrentPage(), 0);
        bool noteSaysWhy = false;
        for (QLabel *label : pdf->findChildren<QLabel *>())
            noteSaysWhy |= label->isVisible() && label->text().contains(fx.path("readme.pdf")) &&
                           label->text().contains("apt install");
        QVERIFY(noteSaysWhy);
        pdf->GoToPage(2);
        QTRY_COMPARE(pdf->CurrentPage(), 2);
        const qreal zoom = pdf->Zoom();
        pdf->StepZoom(1);
        QVERIFY(pdf->Zoom() > zoom);
    }

    // What cannot be shown at all is said once, with the file's path (and, for a PDF, what to install).
    void cannotOpenSaysWhy_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing") << QByteArray() << "找不到檔案";
        QTest::newRow("broken") << QByteArray("%PDF-1.4 not really") << "apt install";
    }
    void cannotOpenSaysWhy() {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        Folder fx;
        if (!content.isEmpty()) fx.write("readme.pdf", content);
        opener(3);
        MainWindow w(fx.programPath());
        w.show();
        QTest::mouseClick(w.findChild<QPushButton *>("btReadme"), Qt::LeftButton);
        QTRY_COMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(fx.path("readme.pdf")) && errors[0].contains(expected),
                 qPrintable(errors[0]));
        QVERIFY(!OpenPdfWindow());
    }

    // Installed, the box names the licence's full text beside the program; where it is not, no file.
    void aboutNamesOnlyFilesThere() {
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath("bin") && QDir(prefix.path()).mkpath("share/doc/velmoranote"));
        const QString bin = prefix.filePath("bin");
        QVERIFY(!AboutText("/notes", bin).contains("copyright"));
        QFile copyright(prefix.filePath("share/doc/velmoranote/copyright"));
        QVERIFY(copyright.open(QIODevice::WriteOnly));
        copyright.close();
        const QString text = AboutText("/notes", bin);
        QVERIFY2(text.contains(QDir::cleanPath(QFileInfo(copyright).absoluteFilePath())), qPrintable(text));
    }

    // Shift+F1 shows the About box with the version and the library folder; Ctrl+Q closes the window.
    void aboutAndQuitKeys() {
        Folder fx;
        MainWindow w(fx.programPath());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QString aboutText;
        QTimer::singleShot(300, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                aboutText = box->text();
                box->accept();
            }
        });
        QTest::keyClick(&w, Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY2(aboutText.contains("9.8.7") && aboutText.contains(QDir(fx.path()).absolutePath()),
                 qPrintable(aboutText));
        // The fold tables' true source; run from the build tree, no licence file that is not there.
        QVERIFY2(aboutText.contains("Unihan") && !aboutText.contains("OpenCC"), qPrintable(aboutText));
        QVERIFY2(!aboutText.contains("/usr/share/doc") && aboutText.contains("MIT"), qPrintable(aboutText));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!w.isVisible());
        QVERIFY(QFile::exists(fx.path("velmoranote.ini"))); // through the close: the settings were kept
    }
};

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
