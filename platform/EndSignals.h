#pragma once
// The requests to end that come as signals: SIGTERM (the session logging out, `kill`, a service
// manager), SIGHUP (the terminal it was started from closed) and SIGINT (Ctrl+C there). Taken over from
// the first moment of the start (Install), they are kept until the program can act on them: each then
// arrives as the Qt signal EndRequested on the thread that made the object, where the program ends in
// order instead of being cut off. A second request of the same kind ends the process at once, as the
// system would: a program that hangs while ending can still be stopped.

#include <QObject>

class QSocketNotifier;

class EndSignals : public QObject {
    Q_OBJECT
public:
    // Takes the three signals over for the rest of the process; before any event loop exists, a request
    // is only noted. Safe to call more than once.
    static void Install();
    // The first signal that asked to end so far, or 0.
    static int Requested();

    // Delivers the requests, those noted before it was made included, as EndRequested (one object per
    // process). Installs the handlers when Install() was not called.
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;

Q_SIGNALS:
    void EndRequested(int signalNumber);

private:
    void ReadRequest();

    QSocketNotifier *notifier_ = nullptr;
};
