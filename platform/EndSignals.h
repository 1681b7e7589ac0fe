#pragma once
// The requests to end that come as signals: SIGTERM (the session logging out, `kill`, a service
// manager), SIGHUP (the terminal it was started from closed) and SIGINT (Ctrl+C there). Each arrives as
// the Qt signal EndRequested on the thread that made this object, where the program can end in order
// instead of being cut off. A second request of the same kind ends the process at once, as the system
// would: a program that hangs while ending can still be stopped.

#include <QObject>

class QSocketNotifier;

class EndSignals : public QObject {
    Q_OBJECT
public:
    // Takes over the three signals while it lives (one object per process).
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;

Q_SIGNALS:
    void EndRequested(int signalNumber);

private:
    void ReadRequest();

    QSocketNotifier *notifier_ = nullptr;
};
