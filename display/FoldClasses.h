#pragma once
// Folding of Han variant characters for the search: simplified and traditional forms and the
// variants Unicode's Han database links (爲, 為 and 为; 裏, 裡 and 里) fold to one representative, so
// that texts compared after folding match across the forms. The classes come from a table written
// at build time; characters outside them fold to themselves.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace FoldClasses {

// The representative of the character's class; the character itself when it has no variants.
char32_t Fold(char32_t c);
// Appends the text with every code point folded. A lone surrogate is kept as it is.
void AppendFolded(QString &out, QStringView text);
QString Folded(QStringView text);
// The distinct stretches of `text` that fold to what `query` folds to, in the order found, from left
// to right without overlaps: what a folded search found there, as the page marks it.
QStringList FoundForms(QStringView text, QStringView query);
// Classes of more than one member, and the characters in them.
int ClassCount();
int FoldedCharacterCount();
// Memory the lookup tables take once built (the first fold builds them), in bytes.
qint64 Bytes();

} // namespace FoldClasses
