#include "corpus/NotesText.h"

#include "common/Error.h"
#include "platform/RegularFile.h"
#include "platform/WinPath.h"

#include <QStringDecoder>

#include <cstring>

NotesText NotesText::Read(const QString &fileName) {
    // Found as the program's other paths are: "\" or "/" between folders, letter case ignored.
    const RegularFileRead file = ReadRegularFile(ResolveWinPath(fileName), MemoryBoundFileLimit());
    if (!file.ok)
        throw VelmoraError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.reason));
    return FromBytes(file.bytes);
}

NotesText NotesText::FromBytes(const QByteArray &bytes) {
    NotesText t;
    t.bytes_ = bytes;
    t.bom_ = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    // Invalid sequences decode to U+FFFD; CR and LF always decode to themselves, so the text and the
    // bytes split into the same number of lines.
    t.text_ = QString::fromUtf8(t.Bytes());
    // A replacement character the bytes do not spell themselves stands for a sequence that is not
    // UTF-8; only a file that holds one of its own is decoded a second time to tell.
    t.utf8_ = !t.text_.contains(QChar::ReplacementCharacter);
    if (!t.utf8_ && bytes.contains("\xEF\xBF\xBD")) {
        QStringDecoder check(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        (void)check.decode(t.Bytes());
        t.utf8_ = !check.hasError();
    }
    // UTF-16 spells every ASCII character with a NUL byte, which is valid UTF-8 but never in notes.
    t.utf16_ = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ||
               std::memchr(bytes.constData(), 0, size_t(bytes.size())) != nullptr;
    if (t.utf16_) t.utf8_ = false;
    t.lines_ = SplitLines(reinterpret_cast<const char16_t *>(t.text_.constData()), t.text_.size());
    return t;
}

void NotesText::KeepBytes() {
    byteLines_ = SplitLines(bytes_.constData() + bom_, bytes_.size() - bom_);
}

void NotesText::DropBytes() {
    bytes_ = QByteArray();
    bom_ = 0;
    byteLines_.clear();
}
