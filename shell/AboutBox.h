#pragma once
// The About box: the program's version and licence, the library folder it reads, and where its data
// comes from.

#include <QString>

class QWidget;

void ShowAboutBox(QWidget *parent, const QString &libraryFolder);
// The text of the box, for tests and for the terminal; `programFolder` holds the program file, the
// licence's full text is looked for as installed beside it.
QString AboutText(const QString &libraryFolder, const QString &programFolder);
