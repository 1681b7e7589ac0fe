#pragma once
// Opens a manual or a PDF volume: with the desktop's application for it, else in the reader's own PDF
// window, and says so (with the file's path and what to install) when neither can show it.

#include <QString>

class QWidget;

void OpenDocument(QWidget *parent, const QString &path);
