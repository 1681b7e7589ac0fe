#pragma once
// One reader per library. Two readers on the same library would each write its settings at close and
// each hold unsaved positions: a second start on a library that is open raises the running window
// instead. The readers find each other through a local socket named after the library's folder and
// the user; another library gets a window of its own.

#include <QObject>
#include <QString>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &libraryFolder, QObject *parent = nullptr);

    // True when a reader on this library is running and was asked to show itself.
    bool HandOverToRunning();
    // From now on, later starts on this library reach this reader (RaiseRequested).
    void Listen();

    static QString SocketName(const QString &libraryFolder);

Q_SIGNALS:
    void RaiseRequested();

private:
    QString name_;
    QLocalServer *server_ = nullptr;
};
