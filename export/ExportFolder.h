#pragma once
// A folder an export writes (crops, a site), made whole or not at all: everything goes into a temporary
// folder beside the target, which is renamed into place only once the last file is written. A failed
// or cancelled export removes it; one killed leaves it under a name the next export of the same folder
// removes.
//
// The target may be missing, an empty folder, or the folder of an earlier export (it holds the marker
// file ".velmora-export"), which is then replaced whole. Any other folder is refused, so that an export
// never deletes what it did not write.

#include <QByteArrayView>
#include <QString>

class ExportFolder {
public:
    // Raises VelmoraError (in the user's words, naming the folder) when the target is refused or the
    // temporary folder cannot be made.
    explicit ExportFolder(const QString &target);
    ~ExportFolder();
    ExportFolder(const ExportFolder &) = delete;
    ExportFolder &operator=(const ExportFolder &) = delete;

    // Writes `relative` (with "/" between folders it makes) in the temporary folder.
    void Write(const QString &relative, QByteArrayView bytes);
    // Puts the folder in place of the target. Nothing may be written afterwards.
    void Commit();

    const QString &Target() const { return target_; }

private:
    QString target_;
    QString temp_;
    bool committed_ = false;
};
