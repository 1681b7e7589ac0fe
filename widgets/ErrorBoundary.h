#pragma once
// Where an error meets the user. Every connection that carries a signal into a pane goes through
// Guarded: an error raised by the handler is caught there, shown once in a message box, and the
// program carries on. The questions and notices of the program go through the same place, so that
// tests can answer them without a person.

#include <QString>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

class QWidget;

// Shows an error's message in a message box and returns.
void ShowErrorMessage(const QString &message);
// Shows the message of the exception being handled (call inside a catch block).
void ShowCurrentError();

// The program ends with no one to answer (a signal from the session or the system): the question open
// now closes unanswered and later ones are not asked. AskYesNo then raises QuestionUnanswered, which
// unwinds whatever the answer would have decided and is passed over quietly by the boundary: silence
// never reads as "no". Notices and errors are no longer shown.
struct QuestionUnanswered {};
void EndQuestionsUnanswered(bool ending = true);
bool QuestionsEnded();
// Whether a test answers the questions (no dialog would show).
bool QuestionsAnsweredForTesting();

// A yes/no question with No as the default (Yes where `yesIsDefault`); true for Yes. Raises
// QuestionUnanswered when the program ends instead.
bool AskYesNo(QWidget *parent, const QString &text, bool yesIsDefault = false);
// A notice with an OK button.
void Inform(QWidget *parent, const QString &text);

// Tests see the messages instead of modal boxes; pass nullptr to restore the boxes.
void SetErrorDisplayForTesting(std::function<void(const QString &message)> display);
void SetQuestionAnswerForTesting(std::function<bool(const QString &text)> answer);
void SetNoticeDisplayForTesting(std::function<void(const QString &text)> display);

// Wraps a handler so that its errors stop at the boundary. The handler may take the signal's
// arguments or none of them.
template <typename Handler> auto Guarded(Handler handler) {
    return [handler = std::move(handler)](auto &&...args) mutable -> void {
        try {
            if constexpr (std::is_invocable_v<Handler &, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        } catch (...) {
            ShowCurrentError();
        }
    };
}
