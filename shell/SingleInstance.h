#pragma once
// One reader per library. Two readers on the same library would each write its settings at close and
// each hold unsaved positions: a second start on a library that is open raises the running window
// instead. The first reader holds a lock named after the library folder's identity (its device and
// inode, so a link, a bind mount or another TMPDIR reach the same one), taken before the window is
// built, and listens on a socket beside it; both sit in a folder only this user can write
// ($XDG_RUNTIME_DIR, else a folder of the user's own under /tmp), and each side checks that the other
// runs as this user before it trusts it.

#include <QObject>
#include <QString>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        First,      // this reader holds the library: it builds its window and raises it when asked
        HandedOver, // a reader on this library answered and shows its window: this one ends
        Alone,      // it cannot be made sure (Reason() says why): this reader opens its window all the same
        Refused,    // a reader holds the library but never answered (Reason() says which): no second window
    };

    explicit SingleInstance(const QString &libraryFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the library's lock, or asks its holder to show itself. Waits at most `patienceMs` for a
    // holder that is still starting (its window is built before it answers).
    Claim TakeLibrary(int patienceMs = 30000);
    QString Reason() const { return reason_; }

    // The folder for the lock and the socket: `candidate` when it is a real folder (not a link) of this
    // user's that no one else may write; empty with `why` otherwise. `create` makes it first (mode 0700).
    static QString PrivateFolder(const QString &candidate, bool create, QString *why);
    // Where this user's readers meet: $XDG_RUNTIME_DIR, else /tmp/velmoranote-UID.
    static QString MeetingFolder(QString *why);
    // The lock's and socket's name without extension, from the folder's identity; empty when it has none.
    static QString MeetingName(const QString &libraryFolder);

Q_SIGNALS:
    void RaiseRequested();

private:
    bool TryLock();
    void Listen();
    // Connects to the holder and asks it to show itself: 1 answered, 0 no answer yet, -1 not to be trusted.
    int AskHolder(int waitMs);
    QString HolderPid() const;

    QString libraryFolder_;
    QString base_; // the folder and name, without ".lock" or ".socket"
    int lockFd_ = -1;
    QString reason_;
    QLocalServer *server_ = nullptr;
};
