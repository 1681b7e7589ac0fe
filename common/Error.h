#pragma once
// The one error type of the program: a message a user can read, in UTF-8 from what().

#include <QString>
#include <stdexcept>

class VelmoraError : public std::runtime_error {
public:
    explicit VelmoraError(const QString &message);
    // A read past the last line: the index asked for and the number of lines there were.
    VelmoraError(const QString &message, qint64 index, qint64 count);

    QString message() const { return QString::fromUtf8(what()); }
    // -1 when the error is not about an index out of range.
    qint64 index() const { return index_; }
    qint64 count() const { return count_; }

private:
    qint64 index_ = -1;
    qint64 count_ = -1;
};

// A file named in a message: its full path as the user's system writes it.
QString ShownPath(const QString &fileName);
