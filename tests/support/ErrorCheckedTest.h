#pragma once
// The opening the window tests share: the errors the window would show are captured instead, and every
// test function ends with none shown. A test class derives from this instead of QObject.

#include "support/DialogCapture.h"

#include <QObject>

class ErrorCheckedTest : public QObject {
    Q_OBJECT
protected:
    ErrorCapture shown;
    QStringList &errors = shown.errors;
private Q_SLOTS:
    void init() { shown.Install(); }
    void cleanup() { VERIFY_NO_ERROR_SHOWN(shown); }
};
