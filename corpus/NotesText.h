#pragma once
// A notes file as the reader and the writer both see it: its bytes, their UTF-8 decoding, and the
// lines of both, split alike at CR LF, LF or CR.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

struct LineSpan {
    qsizetype start = 0;
    qsizetype length = 0;
};

class NotesText {
public:
    // Reads the whole file; raises VelmoraError naming the file when it cannot be read.
    static NotesText Read(const QString &fileName);
    // Decodes bytes already in memory (a leading byte-order mark is skipped).
    static NotesText FromBytes(const QByteArray &bytes);

    qsizetype lineCount() const { return lines_.size(); }
    QStringView line(qsizetype i) const {
        const LineSpan &s = lines_[i];
        return QStringView(text_).mid(s.start, s.length);
    }
    // The exact bytes of line i, without its line end. Only valid when keepBytes was used.
    QByteArrayView lineBytes(qsizetype i) const {
        const LineSpan &s = byteLines_[i];
        return QByteArrayView(bytes_.constData() + s.start, s.length);
    }
    // Splits the raw bytes into lines too, for a writer that keeps untouched lines byte for byte.
    void keepBytes();

private:
    QByteArray bytes_;  // without the byte-order mark
    QString text_;
    QList<LineSpan> lines_;
    QList<LineSpan> byteLines_;
};

// Line starts and lengths of text split at CR LF, LF or CR; a line end at the very end adds no line.
template <typename Char> QList<LineSpan> SplitLines(const Char *data, qsizetype size) {
    QList<LineSpan> lines;
    lines.reserve(size / 40 + 1);
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const Char c = data[i];
        if (c != Char('\n') && c != Char('\r'))
            continue;
        lines.append({start, i - start});
        if (c == Char('\r') && i + 1 < size && data[i + 1] == Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append({start, size - start});
    return lines;
}
