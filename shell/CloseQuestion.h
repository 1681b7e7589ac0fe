#pragma once
// The question at close while captured positions are not saved. 是 leaves without them and 否 keeps the
// window open, as they always did; the third button, "儲存後結束", saves them first and leaves only
// when the save wrote every one.

class QWidget;

enum class CloseAnswer { Leave, Stay, SaveThenLeave };

// Raises QuestionUnanswered when the program ends instead. A test answering the questions gets the
// two specified answers only.
CloseAnswer AskCloseWithUnsaved(QWidget *parent);
