#pragma once
// The HTML page of one entry: pure string functions, no window needed. A page is made by
// BuildEntryPage, then HighlightWords, then WrapPage, always in that order.

#include "corpus/Data.h"

#include <QString>

// The body: the headword (without its leading U+3000), the content, and the collation notes, remarks
// and sources when not empty, under fixed section heads. Field texts go in as stored, unescaped.
QString BuildEntryPage(const NoteEntry &entry);

// "K K1 甲條": notebook letter, page name and headword, for quoting where a passage comes from (the
// page's context menu copies it).
QString EntryReferenceLine(int book, const NoteEntry &entry);

// The body with every occurrence of `highlight` in its text wrapped in <span class='search'>...</span>,
// found from left to right without overlaps. Tags ("<" to the next ">"; a "<" with no ">" after it is
// text) and entity references ("&", ASCII letters, digits or "#", then ";") are copied unchanged, and
// each run of text between them is marked on its own. An empty highlight changes nothing.
// Several words, one a line ("學\n学"), are all marked, the earliest first and the longer of two that
// start at one place: the forms a folded search found. A typed query holds no line break.
QString HighlightWords(const QString &body, const QString &highlight);

// The fixed page head (648 characters, ending "<body>\n"), the body, and the fixed 15-character tail.
QString WrapPage(const QString &body);

// The two fixed texts WrapPage puts around a body.
QString EntryPageHead();
QString EntryPageTail();
