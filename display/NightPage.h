#pragma once
// The entry page for reading at night: the same body under a dark style sheet of our own. The sheet of
// EntryPageHead stays the page's default, unchanged; the night one is asked for by name. It gives every
// class of the default sheet, so that the notes' own markup keeps its meaning: the background classes
// turn to dark tints, and every text colour stays legible on each of them and on the page (a contrast of
// at least 4.5:1).

#include <QString>

// The night page's head: the default head with the dark sheet, ending "<body>\n" as the default does.
QString NightPageHead();

// Night head + body + the default tail: WrapPage for the night.
QString WrapNightPage(const QString &body);
