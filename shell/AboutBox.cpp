#include "shell/AboutBox.h"

#include "common/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace {

// The licence's full text where the package put it beside the program; run from the build tree there
// is none, and the box names no file that is not there.
QString LicenceLine(const QString &programFolder) {
    const QFileInfo copyright(
        QDir(programFolder).filePath(QStringLiteral("../share/doc/velmoranote/copyright")));
    if (copyright.isFile())
        return QStringLiteral("授權：MIT（Expat）授權條款，全文見 %1。")
            .arg(ShownPath(QDir::cleanPath(copyright.absoluteFilePath())));
    return QStringLiteral(
        "授權：MIT（Expat）授權條款：可自由使用、複製、修改、合併、出版、散布、再授權及販售，"
        "須附上版權與授權聲明；本軟體按現狀提供，不附任何擔保。");
}

} // namespace

QString AboutText(const QString &libraryFolder, const QString &programFolder) {
    return QStringLiteral("澄溪導師筆記 %1\n\n"
                          "閱讀四冊導師筆記，對照原稿掃描頁，並可搜尋全文。\n\n"
                          "%2\n"
                          "筆記資料夾：%3\n\n"
                          "資料來源：筆記文字與原稿掃描由筆記資料夾提供；"
                          "「繁簡異體」檢索的字類取自 Unicode 字元資料庫的 Unihan 異體字資料"
                          "（Unihan_Variants.txt），於建置時寫入程式。\n"
                          "介面以 Qt %4 建成。")
        .arg(QCoreApplication::applicationVersion(), LicenceLine(programFolder), ShownPath(libraryFolder),
             QString::fromLatin1(qVersion()));
}

void ShowAboutBox(QWidget *parent, const QString &libraryFolder) {
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("關於澄溪導師筆記"));
    box.setIcon(QMessageBox::Information);
    box.setText(AboutText(libraryFolder, QCoreApplication::applicationDirPath()));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.setStandardButtons(QMessageBox::Ok);
    box.setAccessibleName(box.windowTitle());
    box.exec();
}
