#include "shell/IniFile.h"

#include "common/Error.h"
#include "common/Log.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/WinPath.h"

#include <QFile>
#include <QRegularExpression>

#include <climits>
#include <cmath>
#include <new>

namespace {

// Blanks are spaces and control characters only: an ideographic or no-break space is content.
bool IsBlank(QChar c) {
    return c.unicode() <= ' ';
}

QString TrimBlanks(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.mid(begin, end - begin).toString();
}

bool SameName(const QString &a, const QString &b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

int DigitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int d = -1;
    if (u >= '0' && u <= '9')
        d = u - '0';
    else if (u >= 'a' && u <= 'f')
        d = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        d = u - 'A' + 10;
    return d < base ? d : -1;
}

bool ParseInteger(const QString &s, int &out) {
    const qsizetype n = s.size();
    qsizetype i = 0;
    bool negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i + 1 < n && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        base = 16;
        i += 2;
    } else if (i < n && s[i] == u'$') {
        base = 16;
        ++i;
    }
    if (i == n) return false;
    qint64 v = 0;
    for (; i < n; ++i) {
        const int d = DigitValue(s[i], base);
        if (d < 0) return false;
        v = v * base + d;
        if (v > qint64(INT_MAX) + 1) // stops long digit strings before qint64 could overflow
            return false;
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) return false;
    out = int(v);
    return true;
}

bool ParseFloat(const QString &s, double &out) {
    // Validated first: toDouble alone would also take "inf", "nan" and surrounding blanks.
    static const QRegularExpression number(
        QStringLiteral("\\A[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?\\z"));
    if (!number.match(s).hasMatch()) return false;
    bool ok = false;
    const double v = s.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool HasLineBreak(const QString &s) {
    return s.contains(u'\n') || s.contains(u'\r');
}

bool HasBlankEnd(const QString &s) {
    return !s.isEmpty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

// A surrogate without its partner: UTF-8 cannot carry it, so it would be written as something else.
bool HasLoneSurrogate(const QString &s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        else if (s[i].isSurrogate())
            return true;
    }
    return false;
}

// Why the line "[section]" or "key=value" that UpdateFile would write does not read back as the same
// names and value, following the reader above step by step; empty when it does. The reader splits the
// text at CR and LF, trims blanks (spaces and control characters) off each line, skips lines that are
// empty or begin with ";", takes a line beginning with "[" and ending with "]" as a section header
// (its name trimmed again), and splits any other line at its first "=" into a trimmed key and value.
QString WhyNotReadBack(const QString &section, const QString &key, const QString &value) {
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        return QStringLiteral("換行會把這一行拆開");
    if (HasLoneSurrogate(section) || HasLoneSurrogate(key) || HasLoneSurrogate(value))
        return QStringLiteral("落單的 UTF-16 代理字元無法寫成 UTF-8");
    if (HasBlankEnd(section)) return QStringLiteral("讀取時會去掉區段名稱兩端的空白與控制字元");
    if (HasBlankEnd(key)) return QStringLiteral("讀取時會去掉鍵名兩端的空白與控制字元");
    if (HasBlankEnd(value)) return QStringLiteral("讀取時會去掉值兩端的空白與控制字元");
    if (key.contains(u'=')) return QStringLiteral("鍵名不能含有 \"=\"，讀取時會在那裡拆開");
    if (key.startsWith(u';')) return QStringLiteral("以 \";\" 開頭的一行會被當成註解");
    if (key.startsWith(u'[') && value.endsWith(u']'))
        return QStringLiteral("以 \"[\" 開頭、以 \"]\" 結尾的一行會被當成區段標題");
    return QString();
}

// A name or value as a message shows it: control characters and lone surrogates as \uXXXX.
QString Shown(const QString &s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        const bool pair = c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate();
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || (c.isSurrogate() && !pair)) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        } else {
            out += c;
            if (pair) out += s[++i];
        }
    }
    return out;
}

} // namespace

IniFile::IniFile(const QString &fileName) : fileName_(fileName) {
    // Found as the program's other paths are: "SETUP.INI" on disk for "setup.ini".
    // Only a regular file is read (a named pipe would block the start for ever), and only up to a size
    // no settings file reaches: a huge one is not held in memory for a few keys.
    RegularFileRead file = ReadRegularFile(ResolveWinPath(fileName), kIniFileLimit);
    if (file.missing) return;
    if (!file.ok) {
        unreadable_ = true;
        unreadableReason_ = file.reason;
        qCWarning(lcShell).noquote() << "settings file not read:" << fileName << file.reason;
        return;
    }
    QByteArray bytes = std::move(file.bytes);
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    const QString text = QString::fromUtf8(bytes);

    qsizetype current = -1; // index of the section being read; -1 before the first header
    const qsizetype size = text.size();
    for (qsizetype start = 0; start < size;) {
        qsizetype end = start;
        while (end < size && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QString line = TrimBlanks(QStringView(text).mid(start, end - start));
        start = end + 1;
        if (end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n') ++start;

        if (line.isEmpty() || line.startsWith(u';')) continue;
        if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
            sections_.append({TrimBlanks(QStringView(line).mid(1, line.size() - 2)), {}});
            current = sections_.size() - 1;
            continue;
        }
        if (current < 0) continue;
        const qsizetype eq = line.indexOf(u'=');
        Line l;
        if (eq < 0) {
            l.held = true;
            l.key = line;
        } else {
            l.key = TrimBlanks(QStringView(line).left(eq));
            l.value = TrimBlanks(QStringView(line).mid(eq + 1));
        }
        sections_[current].lines.append(l);
    }
}

// A name may head more than one section: all of them are searched in file order, the first key wins.
const IniFile::Line *IniFile::FindLine(const QString &section, const QString &key) const {
    for (const Section &s : sections_) {
        if (!SameName(s.name, section)) continue;
        for (const Line &l : s.lines) {
            if (!l.held && SameName(l.key, key)) return &l;
        }
    }
    return nullptr;
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &def) const {
    const Line *l = FindLine(section, key);
    return l ? l->value : def;
}

int IniFile::ReadInteger(const QString &section, const QString &key, int def) const {
    const Line *l = FindLine(section, key);
    int v = 0;
    return l && ParseInteger(l->value, v) ? v : def;
}

bool IniFile::ReadBool(const QString &section, const QString &key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::ReadFloat(const QString &section, const QString &key, double def) const {
    const Line *l = FindLine(section, key);
    double v = 0;
    return l && ParseFloat(l->value, v) ? v : def;
}

void IniFile::WriteString(const QString &section, const QString &key, const QString &value) {
    // Only what reads back as written: anything else would be lost or, for a section name, never be
    // found again (every save would then add the section once more).
    const QString why = WhyNotReadBack(section, key, value);
    if (!why.isEmpty())
        throw VelmoraError(QStringLiteral("設定檔 \"%1\" 無法存放區段 \"%3\" 的鍵 \"%2\"（值 \"%4\"）：%5。")
                               .arg(ShownPath(fileName_), Shown(key), Shown(section), Shown(value), why));

    Line *line = const_cast<Line *>(FindLine(section, key));
    if (line) {
        line->value = value;
        return;
    }
    Line added;
    added.key = key;
    added.value = value;
    for (Section &s : sections_) {
        if (SameName(s.name, section)) {
            s.lines.append(added);
            return;
        }
    }
    sections_.append({section, {added}});
}

void IniFile::WriteInteger(const QString &section, const QString &key, int value) {
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString &section, const QString &key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::WriteFloat(const QString &section, const QString &key, double value) {
    // QString::asprintf formats with "." whatever the process locale is.
    WriteString(section, key, QString::asprintf("%.15g", value));
}

void IniFile::UpdateFile() {
    if (unreadable_)
        throw VelmoraError(QStringLiteral("設定檔 \"%1\" 無法讀取，因此沒有覆寫它。%2")
                               .arg(ShownPath(fileName_), unreadableReason_));

    try {
        QString text;
        for (const Section &s : std::as_const(sections_)) {
            text += u'[' + s.name + QStringLiteral("]\r\n");
            for (const Line &l : s.lines)
                text += (l.held ? l.key : l.key + u'=' + l.value) + QStringLiteral("\r\n");
            text += QStringLiteral("\r\n");
        }
        // Written into a temporary file beside the target (found regardless of letter case), flushed
        // to disk and renamed over it only when every write went well.
        AtomicFile file(fileName_, QStringLiteral("無法寫入設定檔 \"%1\"：%2"));
        file.Write("\xEF\xBB\xBF");
        file.Write(text.toUtf8());
        file.Commit();
    } catch (const std::bad_alloc &) {
        throw VelmoraError(QStringLiteral("無法寫入設定檔 \"%1\"：記憶體不足。").arg(ShownPath(fileName_)));
    }
}
