#pragma once
// The reader's own note as the entry page shows it: under the teacher's text, with its own heading
// "我的筆記" and a style of its own (a gold rule at its left, its own tint), so that it is never taken
// for the teacher's words. The style is carried by the section itself, so the page's head stays as it is.

#include <QString>

// The section for `note` (plain text, line breaks kept); "" for an empty note. `night`: the tints of
// the night page.
QString PersonalNoteSection(const QString &note, bool night);
