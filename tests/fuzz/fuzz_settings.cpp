// The settings store: a file as found on disk, then writes; whatever a write accepted must read back as
// written after the store is saved and loaded again, and saving the loaded store again changes nothing.
#include "FuzzSupport.h"
#include "common/Error.h"
#include "shell/IniFile.h"

#include <QHash>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The old file, then triples of section, key and value.
    const QList<QByteArray> fields = SplitFields(data, size, 1);
    const QString path = ScratchPath("settings.ini");
    QFile::remove(path);
    WriteWhole(path, fields[0]);

    IniFile store(path);
    // The expected value of each name written, the last write winning; names compare without case.
    QHash<QPair<QString, QString>, QPair<QString, QString>> written; // folded names -> (names, value)
    for (qsizetype f = 1; f + 2 < fields.size(); f += 3) {
        const QString section = QString::fromUtf8(fields[f]);
        const QString key = QString::fromUtf8(fields[f + 1]);
        const QString value = QString::fromUtf8(fields[f + 2]);
        try {
            store.WriteString(section, key, value);
        } catch (const VelmoraError &) {
            continue; // refused: nothing to read back
        }
        FUZZ_CHECK(store.ReadString(section, key, QStringLiteral("\x01missing")) == value,
                   "write not seen before saving");
        written[{section.toCaseFolded(), key.toCaseFolded()}] = {section + u'\x01' + key, value};
    }
    try {
        store.UpdateFile();
    } catch (const VelmoraError &) {
        return 0; // an old file that could not be read is left alone
    }
    const QByteArray saved = ReadWhole(path);
    IniFile reread(path);
    for (auto it = written.cbegin(); it != written.cend(); ++it) {
        const QStringList names = it.value().first.split(u'\x01'); // fields hold no 0x01
        const QString back = reread.ReadString(names[0], names[1], QStringLiteral("\x01missing"));
        FUZZ_CHECK(back == it.value().second, "[%s] %s=%s reads back as %s", qPrintable(names[0]),
                   qPrintable(names[1]), qPrintable(it.value().second), qPrintable(back));
    }
    reread.UpdateFile();
    FUZZ_CHECK(ReadWhole(path) == saved, "saving the reloaded store changed the file");
    return 0;
}
