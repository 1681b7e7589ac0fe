#include "platform/DesktopOpen.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The desktop itself is replaced: what matters is the file it would be handed.
class TestDesktopOpen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensTheResolvedFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = QFileInfo(dir.path()).canonicalFilePath();
        QVERIFY(QDir().mkpath(root + "/pdf/k"));
        QFile pdf(root + "/pdf/k/K1.pdf");
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root));

        QStringList calls;
        SetDesktopOpenerForTesting(
            [&calls](const QString &resolved, const QString &requested) { calls << resolved << requested; });
        OpenWithDesktop("PDF\\K\\K1.pdf");
        OpenWithDesktop("readme.pdf"); // missing: still handed over, the desktop reports it
        SetDesktopOpenerForTesting({});
        QDir::setCurrent(saved);

        QCOMPARE(calls,
                 (QStringList{root + "/pdf/k/K1.pdf", "PDF\\K\\K1.pdf", root + "/readme.pdf", "readme.pdf"}));
    }
};

QTEST_GUILESS_MAIN(TestDesktopOpen)
#include "tst_desktopopen.moc"
