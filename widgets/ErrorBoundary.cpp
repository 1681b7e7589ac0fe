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
bool questionsEnded = false;
} // namespace

void EndQuestionsUnanswered(bool ending) {
    questionsEnded = ending;
}
bool QuestionsEnded() {
    return questionsEnded;
}
bool QuestionsAnsweredForTesting() {
    return bool(TestAnswer());
}

void ShowErrorMessage(const QString &message) {
    if (questionsEnded) return;
    if (TestErrorDisplay()) {
        TestErrorDisplay()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), AppTitle(), message);
}

void ShowCurrentError() {
    try {
        throw;
    } catch (const QuestionUnanswered &) {
        // The program is ending: what the question would have decided stays undecided.
    } catch (const std::exception &e) {
        ShowErrorMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorMessage(QString()); // an error without a message is shown with an empty one
    }
}

bool AskYesNo(QWidget *parent, const QString &text, bool yesIsDefault) {
    if (questionsEnded) throw QuestionUnanswered{};
    const bool yes =
        TestAnswer()
            ? TestAnswer()(text)
            : QMessageBox::question(parent, AppTitle(), text, QMessageBox::Yes | QMessageBox::No,
                                    yesIsDefault ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
    // Closed because the program ends: the box reads as "no", which it is not.
    if (questionsEnded) throw QuestionUnanswered{};
    return yes;
}

void Inform(QWidget *parent, const QString &text) {
    if (questionsEnded) return;
    if (TestNotice()) {
        TestNotice()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, AppTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

void SetErrorDisplayForTesting(std::function<void(const QString &)> display) {
    TestErrorDisplay() = std::move(display);
}
void SetQuestionAnswerForTesting(std::function<bool(const QString &)> answer) {
    TestAnswer() = std::move(answer);
}
void SetNoticeDisplayForTesting(std::function<void(const QString &)> display) {
    TestNotice() = std::move(display);
}
