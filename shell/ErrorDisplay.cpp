#include "shell/ErrorDisplay.h"

#include <QMessageBox>
#include <exception>

namespace {
std::function<void(const QString &)> &TestDisplay() {
    static std::function<void(const QString &)> display;
    return display;
}
} // namespace

void ShowErrorMessage(const QString &message) {
    if (TestDisplay()) {
        TestDisplay()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("澄溪導師筆記"), message);
}

void SetErrorDisplayForTesting(std::function<void(const QString &)> display) { TestDisplay() = std::move(display); }

ReaderApplication::ReaderApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool ReaderApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowErrorMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorMessage(QString()); // an error without a message is shown with an empty one
    }
    return false;
}
