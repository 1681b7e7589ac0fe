#include "widgets/ErrorBoundary.h"

#include "widgets/Look.h"

#include <QApplication>
#include <QMessageBox>

namespace {
std::function<void(const QString &)> &TestErrorDisplay() {
    static std::function<void(const QString &)> display;
    return display;
}
std::function<bool(const QString &)> &TestAnswer() {
    static std::function<bool(const QString &)> answer;
    return answer;
}
std::function<void(const QString &)> &TestNotice() {
    static std::function<void(const QString &)> display;
    return display;
}
} // namespace

void ShowErrorMessage(const QString &message) {
    if (TestErrorDisplay()) {
        TestErrorDisplay()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), AppTitle(), message);
}

void ShowCurrentError() {
    try {
        throw;
    } catch (const std::exception &e) {
        ShowErrorMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorMessage(QString()); // an error without a message is shown with an empty one
    }
}

bool AskYesNo(QWidget *parent, const QString &text, bool yesIsDefault) {
    if (TestAnswer())
        return TestAnswer()(text);
    return QMessageBox::question(parent, AppTitle(), text, QMessageBox::Yes | QMessageBox::No,
                                 yesIsDefault ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
}

void Inform(QWidget *parent, const QString &text) {
    if (TestNotice()) {
        TestNotice()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, AppTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

void SetErrorDisplayForTesting(std::function<void(const QString &)> display) { TestErrorDisplay() = std::move(display); }
void SetQuestionAnswerForTesting(std::function<bool(const QString &)> answer) { TestAnswer() = std::move(answer); }
void SetNoticeDisplayForTesting(std::function<void(const QString &)> display) { TestNotice() = std::move(display); }
