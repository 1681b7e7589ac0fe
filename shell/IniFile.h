#pragma once
// A settings file in INI form, held in memory: read with defaults, written back whole by UpdateFile.
//
// The file is UTF-8 (a byte-order mark is skipped on reading and written on writing) with "[Section]"
// headers and "Key=Value" lines. Section and key names are compared without regard to letter case.
// Comment lines (";"), empty lines and lines before the first section are not kept; a line without "="
// inside a section is kept and written back in its place. Writing keeps every other section and key in
// its place: a new key goes to the end of its section, a new section to the end of the file.

#include <QList>
#include <QString>

// No settings file comes near this: a few dozen keys.
constexpr qint64 kIniFileLimit = 4 << 20;

class IniFile {
public:
    // Loads the file when it exists; a missing file gives an empty store. A file that is not a regular
    // file, or larger than kIniFileLimit, is not read: the store is empty and the file is not replaced. The
    // file is found as the program's other paths are (ResolveWinPath: letter case ignored), for reading and
    // for writing.
    explicit IniFile(const QString &fileName);

    const QString &fileName() const { return fileName_; }

    // A key that is present yields its value even when that is empty.
    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    // Decimal or hexadecimal ("0x", "0X" or "$") with an optional sign; an empty, unreadable or
    // out-of-range value gives the default.
    int ReadInteger(const QString &section, const QString &key, int def) const;
    // Read as an integer: non-zero is true.
    bool ReadBool(const QString &section, const QString &key, bool def) const;
    // A decimal number with "." as separator and an optional exponent.
    double ReadFloat(const QString &section, const QString &key, double def) const;

    // The writers take exactly the names and values that read back as written; others raise
    // VelmoraError and change nothing: a line break anywhere; a lone UTF-16 surrogate; a space or
    // control character at either end of the section, the key or the value; "=" in a key; a key
    // beginning with ";"; a key beginning with "[" whose value ends with "]".
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteBool(const QString &section, const QString &key, bool value);
    // Shortest general form with at most 15 significant digits ("1", "0.75").
    void WriteFloat(const QString &section, const QString &key, double value);

    // Replaces the file atomically with the store's contents (AtomicFile); raises VelmoraError naming
    // the file and the system's reason when it cannot be written (the old file then stays byte for byte
    // as it was, and no temporary file is left). A file marked read-only is not replaced.
    void UpdateFile();

private:
    struct Line {
        bool held = false; // a line without "=": `key` holds the whole line
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        QList<Line> lines;
    };

    const Line *FindLine(const QString &section, const QString &key) const;

    QString fileName_;
    QList<Section> sections_;
    // The file exists but could not be read: writing it would destroy what it holds.
    bool unreadable_ = false;
    QString unreadableReason_;
};
