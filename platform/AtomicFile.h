#pragma once
// A file replaced as a whole or not at all, written as a stream.
//
// The new content goes into a temporary file in the target's folder; Commit() checks that every write
// reached the file, flushes it to disk (fsync) and only then renames it over the target. Any failure
// raises VelmoraError naming the file and the system's reason ("No space left on device"), removes the
// temporary file and leaves the old file byte for byte as it was; so does an AtomicFile destroyed
// without Commit() (an exception thrown while the content is made).
//
// A process killed while it writes leaves no temporary file: on Linux the file is made without a name
// (O_TMPFILE) and gets one only for the rename. Where that is not possible it is named
// ".<name>.velmora-<process id>-<random>.tmp"; the next save of the same file removes such files of
// processes that no longer run.
//
// The target is found as the program's other paths are (ResolveWinPath: "\" separators, letter case
// ignored), so an existing "Velmoranote.ini" is replaced when "velmoranote.ini" is written. A target
// that is a symbolic link is followed: the file it points to is replaced, the link stays. The new file
// keeps the old one's permission bits (and owner, where the process may set it) and its extended
// attributes, access control lists among them (those the process may set). Being a new file, it is no
// longer a hard link of the old one's other names: they keep the old content. A target marked
// read-only (no write bit at all) is refused, also when run with full rights, as a desktop user
// expects; so is one that is not a regular file.

#include "platform/FileStamp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <sys/types.h>

#include <functional>
#include <utility>
#include <vector>

class AtomicFile {
public:
    // Opens the temporary file. `failure` is the message of every error raised: %1 is the file's full
    // path as the system writes it, %2 the reason.
    explicit AtomicFile(const QString &fileName,
                        const QString &failure = QStringLiteral("無法寫入檔案 \"%1\"：%2"));
    // Discards the temporary file unless Commit() succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Appends bytes. Small pieces are gathered in a buffer; large ones go to the file as they are,
    // without a copy. Raises VelmoraError when the system refuses them.
    void Write(QByteArrayView bytes);
    // Writes what is buffered, flushes the file to disk, and renames it over the target. Raises
    // VelmoraError on any failure; the target is then untouched. Nothing may be written afterwards.
    void Commit();
    // As Commit, but `stillSame` is asked right before the rename, after the new content is on disk:
    // when it answers false the temporary file is discarded, the target left alone, and false returned.
    // A writer that must not replace a file another program changed meanwhile checks that here.
    // With `replacing`, the new file is swapped with the target in one step and the file it displaced
    // must be that one (identity, size and time): a file another program renamed over the target
    // between the check and the swap is put back, and false returned.
    bool CommitIf(const std::function<bool()> &stillSame, const FileStamp *replacing = nullptr);
    // The new file as committed (its identity, size and time), for telling it from a later change.
    const FileStamp &Committed() const { return committed_; }

    // The file that is replaced: the resolved path, symbolic links followed.
    const QString &Target() const { return target_; }

private:
    [[noreturn]] void Fail(const QString &reason);
    [[noreturn]] void FailErrno(int error);
    void Open();
    void RemoveStaleTemporaries();
    QByteArray TemporaryPrefix() const;
    QByteArray TemporaryName() const;
    void FlushBuffer();
    void WriteOut(const char *data, qsizetype size);
    bool LinkUnnamed();
    void Discard() noexcept;
    void ReadAttributes(const QByteArray &path);
    void CopyAttributes();

    QString name_;      // as given, for messages
    QString failure_;   // message pattern
    QString target_;    // resolved path
    QByteArray folder_; // the target's folder and name, encoded for the system
    QByteArray leaf_;
    int dirFd_ = -1;
    int fd_ = -1;
    bool unnamed_ = false;  // made with O_TMPFILE, not yet linked
    QByteArray tmpName_;    // the temporary file's name in the folder while it has one
    bool done_ = false;     // committed or failed: no more writes
    bool existing_ = false; // the target exists: its mode and owner are kept
    mode_t mode_ = 0;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    QByteArray buffer_;
    std::vector<std::pair<QByteArray, QByteArray>> attributes_; // the old file's extended attributes
    FileStamp committed_;
};
