#pragma once
// The journal of one running reader: the positions it recorded and has not saved, kept beside the notes
// files so that a crash loses none of them. Every reader has a journal of its own, named after it and
// locked while it runs, so that only its owner rewrites or removes it; a reader that records nothing
// never touches another's. A journal whose owner is gone (it crashed or was killed) is an orphan, which
// the next reader to start offers to take back.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QLockFile;

class ReaderJournal {
public:
    // `folder`: where the notes files are (the working directory by default).
    explicit ReaderJournal(const QString &folder = QStringLiteral("."));
    ~ReaderJournal();
    ReaderJournal(const ReaderJournal &) = delete;
    ReaderJournal &operator=(const ReaderJournal &) = delete;

    // Replaces the journal whole with `bytes`, or removes it when they are empty. Raises VelmoraError
    // when the system refuses.
    void Write(const QByteArray &bytes);
    QString FileName() const { return fileName_; }

    // The most a journal can need: every position of a large library with long headwords. A larger one
    // is refused before it is read.
    static constexpr qint64 kMaxBytes = 4 << 20;

    struct Orphan {
        QString fileName;
        QString otherHost; // its lock names a reader on another computer, which may still use it
    };
    // The journals in `folder` whose readers are gone, oldest first; the single journal of earlier
    // versions ("velmoranote.journal") is one of them.
    static QStringList Orphans(const QString &folder = QStringLiteral("."));
    // The journals to offer at start: the orphans, and those locked from another computer, which cannot
    // be known gone from here (offered with that computer named).
    static std::vector<Orphan> OrphansToOffer(const QString &folder = QStringLiteral("."));
    // Reads an orphan (at most kMaxBytes); raises VelmoraError with the reason when it cannot.
    static QByteArray ReadOrphan(const QString &fileName);
    // Removes an orphan whose positions were taken back (they are in this reader's journal now).
    static void RemoveOrphan(const QString &fileName);
    // Keeps a declined orphan aside under a name with the date, where no reader offers it again;
    // returns that name.
    static QString SetAside(const QString &fileName);

private:
    QString folder_;
    QString fileName_;
    std::unique_ptr<QLockFile> lock_;
};
