#include "platform/WinPath.h"

#include "common/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The entry of `folder` whose name equals `name` without regard to letter case; empty when there is
// none. Of several such entries (only possible where case counts) the exact-order first is taken, so
// that the answer does not depend on the order the folder is listed in.
QString FindIgnoringCase(const QString &folder, const QString &name) {
    QString best;
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString &entry : entries) {
        if (QString::compare(entry, name, Qt::CaseInsensitive) == 0 && (best.isEmpty() || entry < best))
            best = entry;
    }
    return best;
}

// Names compared as the Windows file system orders them: code unit by code unit after upper-casing,
// so "_" sorts after letters. Equal names up to case fall back to exact order to stay deterministic.
bool LessByName(const QString &a, const QString &b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t ua = QChar::toUpper(char32_t(a[i].unicode()));
        const char32_t ub = QChar::toUpper(char32_t(b[i].unicode()));
        if (ua != ub) return ua < ub;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

QRegularExpression WildcardExpression(const QString &pattern) {
    QString expression;
    QString literal;
    for (const QChar c : pattern) {
        if (c != u'*' && c != u'?') {
            literal += c;
            continue;
        }
        expression += QRegularExpression::escape(literal);
        literal.clear();
        expression += c == u'*' ? QStringLiteral(".*") : QStringLiteral(".");
    }
    expression += QRegularExpression::escape(literal);
    return QRegularExpression(QRegularExpression::anchoredPattern(expression),
                              QRegularExpression::CaseInsensitiveOption |
                                  QRegularExpression::DotMatchesEverythingOption);
}

} // namespace

QString ResolveWinPath(const QString &path) {
    QString full = path;
    full.replace(u'\\', u'/');
    if (!full.startsWith(u'/')) full = QDir::currentPath() + u'/' + full;
    // "." and ".." are taken by their text, as Windows does, before any name is looked up.
    const QStringList parts = QDir::cleanPath(full).split(u'/', Qt::SkipEmptyParts);

    QString resolved; // without a trailing "/"; empty stands for the root
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QString next = resolved + u'/' + parts[i];
        if (!QFileInfo::exists(next)) {
            const QString match =
                FindIgnoringCase(resolved.isEmpty() ? QStringLiteral("/") : resolved, parts[i]);
            if (match.isEmpty()) {
                for (; i < parts.size(); ++i)
                    resolved += u'/' + parts[i];
                break;
            }
            next = resolved + u'/' + match;
        }
        resolved = next;
    }
    return resolved.isEmpty() ? QStringLiteral("/") : resolved;
}

QStringList ListFolderFiles(const QString &folder, const QString &pattern) {
    const QString resolved = ResolveWinPath(folder);
    const QFileInfo info(resolved);
    // Messages name the folder as this system writes paths, not in the mixed form it was asked by.
    const QString shown = QDir::toNativeSeparators(resolved);
    if (!info.isDir())
        throw VelmoraError(QStringLiteral("The specified path was not found (\"%1\")").arg(shown));
    // An unreadable folder would otherwise look empty.
    if (!info.isReadable() || !info.isExecutable())
        throw VelmoraError(QStringLiteral("無法讀取資料夾 \"%1\"").arg(shown));

    const QRegularExpression match = WildcardExpression(pattern);
    QStringList names;
    // Symbolic links to files count as files; dot files are ordinary files as they are on Windows.
    for (const QString &name : QDir(resolved).entryList(QDir::Files | QDir::Hidden, QDir::NoSort)) {
        if (match.match(name).hasMatch()) names.append(name);
    }
    std::sort(names.begin(), names.end(), LessByName);
    return names;
}
