#pragma once
// The application's error display: every error that ends an event handler is caught once, where
// the event loop hands out events, and shown in a message box; the program carries on.

#include <QApplication>
#include <functional>

// Shows an error's message in a message box and returns.
void ShowErrorMessage(const QString &message);
// Tests see the messages instead of a modal box; pass nullptr to restore the box.
void SetErrorDisplayForTesting(std::function<void(const QString &message)> display);

class ReaderApplication : public QApplication {
public:
    ReaderApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
