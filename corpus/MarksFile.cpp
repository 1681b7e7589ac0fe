#include "corpus/MarksFile.h"

#include "common/Error.h"
#include "common/Log.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/SystemError.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>

namespace {

const char kKind[] = "velmoranote-marks";
constexpr int kFormat = 1;
constexpr qint64 kFileLimit = qint64(256) << 20;
// A removal older than this has been merged by every reader that could have held the mark.
constexpr qint64 kKeepRemovalsMs = qint64(90) * 24 * 3600 * 1000;
// Another reader holds the lock only while it merges and writes.
constexpr int kLockWaitMs = 20000;

QString Key(const char *name) {
    return QString::fromLatin1(name);
}

// The reader's own data folder, whichever of the programs asks (velmora-notes lists the same marks).
QString ReaderDataFolder() {
    const QString mine = QCoreApplication::applicationName();
    const QString reader = QStringLiteral("velmoranote");
    if (mine == reader) return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setApplicationName(reader);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setApplicationName(mine);
    return folder;
}

QJsonObject MarkJson(const Mark &m) {
    QJsonObject o = m.anchor.ToJson();
    o.insert(Key("starred"), m.starred);
    o.insert(Key("starTime"), double(m.starTime));
    o.insert(Key("note"), m.note);
    o.insert(Key("noteTime"), double(m.noteTime));
    return o;
}

bool ReadMark(const QJsonValue &value, Mark &m) {
    if (!value.isObject()) return false;
    const QJsonObject o = value.toObject();
    m.anchor = EntryAnchor::FromJson(o);
    if (!m.anchor.IsValid()) return false;
    m.starred = o.value(Key("starred")).toBool();
    m.starTime = qint64(o.value(Key("starTime")).toDouble());
    m.note = o.value(Key("note")).toString();
    m.noteTime = qint64(o.value(Key("noteTime")).toDouble());
    return true;
}

struct Parsed {
    enum { Ok, Damaged, Newer } state = Ok;
    QString reason;
    MarksData data;
};

} // namespace

void MergeMark(Mark &into, const Mark &theirs) {
    if (theirs.starTime > into.starTime || (theirs.starTime == into.starTime && !theirs.starred)) {
        into.starred = theirs.starred;
        into.starTime = theirs.starTime;
    }
    if (theirs.noteTime > into.noteTime || (theirs.noteTime == into.noteTime && theirs.note.isEmpty())) {
        into.note = theirs.note;
        into.noteTime = theirs.noteTime;
    }
}

QString AnchorKey(const EntryAnchor &a) {
    return QString::number(a.book) + QChar(0x1f) + a.title + QChar(0x1f) + a.page + QChar(0x1f) +
           QString::number(a.occurrence);
}

int MarksData::IndexOf(const EntryAnchor &key) const {
    const auto found = [&]() -> int {
        const auto it = where_.constFind(AnchorKey(key));
        return it != where_.cend() && size_t(*it) < marks.size() && marks[size_t(*it)].anchor == key ? *it
                                                                                                     : -1;
    };
    int at = found();
    if (at < 0 && where_.size() != qsizetype(marks.size())) {
        where_.clear();
        for (size_t i = 0; i < marks.size(); ++i)
            where_.insert(AnchorKey(marks[i].anchor), int(i));
        at = found();
    }
    return at;
}

Mark &MarksData::Take(const EntryAnchor &key) {
    const int at = IndexOf(key);
    if (at >= 0) return marks[size_t(at)];
    Mark made;
    made.anchor = key;
    marks.push_back(std::move(made));
    where_.insert(AnchorKey(key), int(marks.size()) - 1);
    return marks.back();
}

QString MarksFileFor(const QString &libraryFolder) {
    const QString canonical = QFileInfo(libraryFolder).canonicalFilePath();
    if (canonical.isEmpty() || !QFileInfo(canonical).isDir())
        throw VelmoraError(QStringLiteral("找不到筆記庫資料夾 \"%1\"。").arg(ShownPath(libraryFolder)));
    const QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QDir(ReaderDataFolder())
        .filePath(QStringLiteral("marks-%1.json").arg(QString::fromLatin1(hash.left(16))));
}

MarksFile::MarksFile(const QString &fileName, const QString &library)
    : fileName_(fileName), library_(library) {}

namespace {

Parsed ParseMarks(const QByteArray &bytes) {
    Parsed p;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject root = doc.object();
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        root.value(Key("kind")).toString() != QLatin1String(kKind) || !root.value(Key("marks")).isArray()) {
        p.state = Parsed::Damaged;
        p.reason = error.error != QJsonParseError::NoError
                       ? QStringLiteral("第 %1 個位元組附近不是正確的 JSON").arg(error.offset)
                       : QStringLiteral("這不是書籤檔");
        return p;
    }
    if (root.value(Key("format")).toInt() > kFormat) {
        p.state = Parsed::Newer;
        p.reason = QStringLiteral("由較新版本的閱讀器寫成");
        return p;
    }
    for (const QJsonValue &item : root.value(Key("marks")).toArray()) {
        Mark m;
        if (ReadMark(item, m)) {
            MergeMark(p.data.Take(m.anchor), m);
        } else {
            qCWarning(lcCorpus) << "marks file item kept as it is, not understood:" << item;
            p.data.unreadable.append(item);
        }
    }
    return p;
}

} // namespace

MarksData MarksFile::Parse(const QByteArray &bytes) const {
    Parsed p = ParseMarks(bytes);
    if (p.state != Parsed::Ok)
        throw VelmoraError(QStringLiteral("無法讀取書籤檔 \"%1\"：%2。").arg(ShownPath(fileName_), p.reason));
    return std::move(p.data);
}

QByteArray MarksFile::Serialize(const MarksData &data) const {
    QJsonArray marks;
    for (const Mark &m : data.marks)
        marks.append(MarkJson(m));
    for (const QJsonValue &item : data.unreadable)
        marks.append(item);
    const QJsonObject root{{Key("kind"), Key(kKind)},
                           {Key("format"), kFormat},
                           {Key("library"), library_},
                           {Key("marks"), marks}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

MarksData MarksFile::Read() const {
    const RegularFileRead file = ReadRegularFile(fileName_, kFileLimit);
    if (file.missing) return MarksData();
    if (!file.ok)
        throw VelmoraError(
            QStringLiteral("無法讀取書籤檔 \"%1\"：%2").arg(ShownPath(fileName_), file.reason));
    return Parse(file.bytes);
}

MarksData MarksFile::Update(const std::function<void(MarksData &)> &merge, QString *notice) {
    const QString folder = QFileInfo(fileName_).absolutePath();
    if (!QDir().mkpath(folder))
        throw VelmoraError(QStringLiteral("無法建立書籤資料夾 \"%1\"。").arg(ShownPath(folder)));
    QLockFile lock(fileName_ + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        throw VelmoraError(
            QStringLiteral("無法鎖定書籤檔 \"%1\"：另一個閱讀器一直佔用它。").arg(ShownPath(fileName_)));

    const RegularFileRead file = ReadRegularFile(fileName_, kFileLimit);
    if (!file.ok && !file.missing)
        throw VelmoraError(
            QStringLiteral("無法讀取書籤檔 \"%1\"：%2").arg(ShownPath(fileName_), file.reason));
    MarksData data;
    QString aside;
    if (file.ok) {
        Parsed p = ParseMarks(file.bytes);
        if (p.state == Parsed::Newer)
            throw VelmoraError(
                QStringLiteral("書籤檔 \"%1\" %2，這一版不改寫它。").arg(ShownPath(fileName_), p.reason));
        if (p.state == Parsed::Damaged) {
            // Kept whole under a name of its own: nothing in it is lost, and the marks go on.
            aside = fileName_ +
                    QStringLiteral(".damaged-%1")
                        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
            if (::rename(QFile::encodeName(fileName_).constData(), QFile::encodeName(aside).constData()) != 0)
                throw VelmoraError(QStringLiteral("無法將損壞的書籤檔 \"%1\" 另存為 \"%2\"：%3")
                                       .arg(ShownPath(fileName_), ShownPath(aside), SystemErrorText(errno)));
            if (notice)
                *notice = QStringLiteral("書籤檔 \"%1\" 已損壞（%2），原檔另存為 \"%3\"，書籤改存新檔。")
                              .arg(ShownPath(fileName_), p.reason, ShownPath(aside));
        } else {
            data = std::move(p.data);
        }
    }
    merge(data);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    data.marks.erase(std::remove_if(data.marks.begin(), data.marks.end(),
                                    [now](const Mark &m) {
                                        return m.IsEmpty() &&
                                               now - qMax(m.starTime, m.noteTime) > kKeepRemovalsMs;
                                    }),
                     data.marks.end());
    AtomicFile out(fileName_, QStringLiteral("無法寫入書籤檔 \"%1\"：%2"));
    out.Write(Serialize(data));
    out.Commit();
    return data;
}
