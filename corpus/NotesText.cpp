#include "corpus/NotesText.h"

#include "corpus/Error.h"
#include "platform/WinPath.h"

#include <QFile>

NotesText NotesText::Read(const QString &fileName) {
    // Found as the program's other paths are: "\" or "/" between folders, letter case ignored.
    QFile file(ResolveWinPath(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw VelmoraError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw VelmoraError(QStringLiteral("無法讀取檔案 \"%1\"：%2").arg(ShownPath(fileName), file.errorString()));
    return FromBytes(bytes);
}

NotesText NotesText::FromBytes(const QByteArray &bytes) {
    NotesText t;
    t.bytes_ = bytes;
    t.bom_ = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    // Invalid sequences decode to U+FFFD; CR and LF always decode to themselves, so the text and the
    // bytes split into the same number of lines.
    t.text_ = QString::fromUtf8(t.bytes());
    t.lines_ = SplitLines(reinterpret_cast<const char16_t *>(t.text_.constData()), t.text_.size());
    return t;
}

void NotesText::keepBytes() {
    byteLines_ = SplitLines(bytes_.constData() + bom_, bytes_.size() - bom_);
}

void NotesText::dropBytes() {
    bytes_ = QByteArray();
    bom_ = 0;
    byteLines_.clear();
}
