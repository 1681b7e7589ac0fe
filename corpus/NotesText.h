#pragma once
// A notes file as the reader and the writer both see it: its bytes, their UTF-8 decoding, and the
// lines of both, split alike at CR LF, LF or CR.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <type_traits>

struct LineSpan {
    qsizetype start = 0;
    qsizetype length = 0;
};

class NotesText {
public:
    // Reads the whole file, found as ResolveWinPath finds it (letter case ignored); raises VelmoraError
    // naming the file when it cannot be read: also when it is not a regular file (a named pipe, a
    // device) or larger than this machine can hold while reading it (MemoryBoundFileLimit).
    static NotesText Read(const QString &fileName);
    // Decodes bytes already in memory (a leading byte-order mark is skipped).
    static NotesText FromBytes(const QByteArray &bytes);

    // False when some bytes are not UTF-8 (they decode to U+FFFD); `utf16` then tells a file that looks
    // saved as UTF-16 (a UTF-16 byte-order mark, or NUL bytes) from one in some other encoding.
    bool IsUtf8() const { return utf8_; }
    bool LooksUtf16() const { return utf16_; }

    qsizetype LineCount() const { return lines_.size(); }
    QStringView Line(qsizetype i) const {
        const LineSpan &s = lines_[i];
        return QStringView(text_).mid(s.start, s.length);
    }
    // The exact bytes of line i, without its line end. Only valid when KeepBytes was used.
    QByteArrayView LineBytes(qsizetype i) const {
        const LineSpan &s = byteLines_[i];
        return QByteArrayView(bytes_.constData() + bom_ + s.start, s.length);
    }
    // The bytes after the byte-order mark, and where line i starts in them (KeepBytes only): a writer
    // copies runs of untouched lines from here in one piece.
    QByteArrayView Bytes() const { return QByteArrayView(bytes_).sliced(bom_); }
    qsizetype LineByteStart(qsizetype i) const { return byteLines_[i].start; }
    // Splits the raw bytes into lines too, for a writer that keeps untouched lines byte for byte.
    void KeepBytes();
    // Gives back the raw bytes, for a reader that needs only the decoded text: at a hundred megabytes
    // of notes read side by side that is tens of megabytes less held while the records are made.
    void DropBytes();

private:
    QByteArray bytes_;  // as read: a byte-order mark is skipped, not cut, which would copy the file
    qsizetype bom_ = 0; // 3 when the bytes start with a byte-order mark
    QString text_;
    QList<LineSpan> lines_;
    QList<LineSpan> byteLines_;
    bool utf8_ = true;
    bool utf16_ = false;
};

// Line starts and lengths of text split at CR LF, LF or CR; a line end at the very end adds no line.
template <typename Char> QList<LineSpan> SplitLines(const Char *data, qsizetype size) {
    QList<LineSpan> lines;
    lines.reserve(size / 40 + 1);
    auto isEnd = [](Char c) { return c == Char('\n') || c == Char('\r'); };
    qsizetype start = 0;
    qsizetype i = 0;
    for (;;) {
        // Most characters end no line: skip whole blocks without one, tested in a loop the compiler
        // can vectorise, then find the line end in the block that holds it.
        // The test is "at most CR": one comparison per character; a tab or other control character
        // only sends the block to the exact test below.
        using Unit = std::make_unsigned_t<Char>;
        constexpr qsizetype kBlock = 32;
        while (i + kBlock <= size) {
            unsigned char low = 0;
            for (qsizetype j = 0; j < kBlock; ++j)
                low |= Unit(data[i + j]) <= Unit('\r');
            if (low) break;
            i += kBlock;
        }
        for (const qsizetype blockEnd = qMin(size, i + kBlock); i < blockEnd && !isEnd(data[i]);)
            ++i;
        if (i < size && !isEnd(data[i])) continue; // only other control characters in that block
        if (i >= size) break;
        lines.append({start, i - start});
        if (data[i] == Char('\r') && i + 1 < size && data[i + 1] == Char('\n')) ++i;
        start = ++i;
    }
    if (start < size) lines.append({start, size - start});
    return lines;
}
