#include "shell/CloseQuestion.h"

#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QMessageBox>
#include <QPushButton>

CloseAnswer AskCloseWithUnsaved(QWidget *parent) {
    const QString text = QStringLiteral("警告 : 定位有更改，尚未儲存，是否確定結束程式？");
    if (QuestionsEnded() || QuestionsAnsweredForTesting())
        return AskYesNo(parent, text) ? CloseAnswer::Leave : CloseAnswer::Stay;
    QMessageBox box(QMessageBox::Question, AppTitle(), text, QMessageBox::Yes | QMessageBox::No, parent);
    QPushButton *save = box.addButton(QStringLiteral("儲存後結束"), QMessageBox::AcceptRole);
    save->setObjectName(QStringLiteral("SaveThenLeaveButton"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    // Closed because the program ends: no button decided anything.
    if (QuestionsEnded()) throw QuestionUnanswered{};
    if (box.clickedButton() == save) return CloseAnswer::SaveThenLeave;
    return box.clickedButton() == box.button(QMessageBox::Yes) ? CloseAnswer::Leave : CloseAnswer::Stay;
}
