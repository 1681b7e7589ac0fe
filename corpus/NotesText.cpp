#include "corpus/NotesText.h"

#include "corpus/Error.h"
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
    // bytes split into the same number of lines. The decoder is told to keep a byte-order mark and
    // to end cut sequences at the end, as QString::fromUtf8 does; it also says whether it met any.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    t.text_ = decoder.decode(t.bytes());
    t.utf8_ = !decoder.hasError();
    // UTF-16 spells every ASCII character with a NUL byte, which is valid UTF-8 but never in notes.
    t.utf16_ = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ||
               std::memchr(bytes.constData(), 0, size_t(bytes.size())) != nullptr;
    if (t.utf16_)
        t.utf8_ = false;
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
