#include "shell/AboutBox.h"

#include "common/Error.h"

#include <QCoreApplication>
#include <QMessageBox>

QString AboutText(const QString &libraryFolder) {
    return QStringLiteral("澄溪導師筆記 %1\n\n"
                          "閱讀四冊導師筆記，對照原稿掃描頁，並可搜尋全文。\n\n"
                          "授權：MIT（Expat）授權條款，全文見 /usr/share/doc/velmoranote/copyright。\n"
                          "筆記資料夾：%2\n\n"
                          "資料來源：筆記文字與原稿掃描由筆記資料夾提供；"
                          "繁簡轉換使用 OpenCC 詞典，字元資料取自 Unicode 字元資料庫。\n"
                          "介面以 Qt %3 建成。")
        .arg(QCoreApplication::applicationVersion(), ShownPath(libraryFolder), QString::fromLatin1(qVersion()));
}

void ShowAboutBox(QWidget *parent, const QString &libraryFolder) {
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("關於澄溪導師筆記"));
    box.setIcon(QMessageBox::Information);
    box.setText(AboutText(libraryFolder));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.setStandardButtons(QMessageBox::Ok);
    box.setAccessibleName(box.windowTitle());
    box.exec();
}
