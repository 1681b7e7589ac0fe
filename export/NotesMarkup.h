#pragma once
// The notes' own markup (the HTML the entry page shows as it is: <br>, <span class="…">, entities)
// turned into the forms an export writes. Nothing of it is dropped: what a form has no word for is
// kept as text.

#include "corpus/Records.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// The lines of a record's text field as they stood in the notes file: the reader joined the headword's
// lines with "<br>" and the content's with "<br><br>", and put "<br><br>" after every line of the
// collation notes, remarks and sources. The headword loses its leading U+3000, as on the entry page.
enum class NotesField { Title, Content, Note, Remark, Source };
QStringList FieldLines(const NoteEntry &entry, NotesField field);
QString FieldText(const NoteEntry &entry, NotesField field);

// Text escaped for XML content or a double-quoted attribute value. A character XML cannot hold (a
// control character, U+FFFE, a lone surrogate) becomes U+FFFD.
QString XmlEscape(QStringView text);

// One line's or a field's markup as TEI, always well-formed: <br> becomes <lb/>; <span class="c">
// becomes <hi rend="c">, and <b>, <strong>, <i>, <em>, <u>, <sup>, <sub> become <hi> with the rend
// of their look; elements left open are closed at the end, a closing tag of nothing open stays as text;
// the five XML entities stay, a numeric or known named one becomes its character; a character XML
// cannot hold becomes <g type="U+XXXX">&#xFFFD;</g>; every other tag or entity stays as escaped text.
QString MarkupToTei(QStringView html);

// The same for Markdown: tags and entities go through as the inline HTML Markdown allows; the text
// between them has the characters Markdown would read as formatting escaped.
QString MarkupToMarkdown(QStringView html);

// The text without its tags, entities read: for a title or an image's alternative text.
QString MarkupToPlain(QStringView html);
