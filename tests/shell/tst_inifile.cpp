// The settings file store: format, round trips, refused names and values, and saves under faults.
#include "common/Error.h"
#include "shell/IniFile.h"
#include "support/FaultChild.h"
#include "support/OddFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <QRandomGenerator>

#include <climits>
#include <cstring>
#include <set>
#include <unistd.h>

namespace {

const QByteArray Bom("\xEF\xBB\xBF");

void WriteBytes(const QString &fileName, const QByteArray &bytes) {
    QFile f(fileName);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray ReadBytes(const QString &fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return f.readAll();
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString path(const QString &name) const { return dir_.filePath(name); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // The window state file as the program writes it when none exists yet, and read back.
    void windowStateFile() {
        const QString file = path("velmoranote.ini");
        {
            IniFile ini(file);
            QCOMPARE(ini.ReadInteger("System", "Top", -7), -7); // missing file: defaults
            ini.WriteInteger("System", "Top", 120);
            ini.WriteInteger("System", "Left", 200);
            ini.WriteInteger("System", "Width", 1400);
            ini.WriteInteger("System", "Height", 900);
            ini.WriteFloat("System", "ImageRate", 0.75);
            ini.WriteBool("System", "InitMax", false);
            ini.WriteInteger("Panel", "Top", 57);
            ini.WriteInteger("Panel", "Left", 1);
            ini.WriteInteger("Panel", "Left2", 829);
            ini.WriteInteger("Panel", "Width", 248);
            ini.WriteInteger("Panel", "Width2", 569);
            ini.WriteInteger("Panel", "Height", 692);
            ini.UpdateFile();
        }
        QCOMPARE(ReadBytes(file),
                 Bom + "[System]\r\nTop=120\r\nLeft=200\r\nWidth=1400\r\nHeight=900\r\n"
                       "ImageRate=0.75\r\nInitMax=0\r\n\r\n"
                       "[Panel]\r\nTop=57\r\nLeft=1\r\nLeft2=829\r\nWidth=248\r\nWidth2=569\r\n"
                       "Height=692\r\n\r\n");

        const IniFile ini(file);
        QCOMPARE(ini.ReadInteger("System", "Width", 0), 1400);
        QCOMPARE(ini.ReadFloat("System", "ImageRate", 1.0), 0.75);
        QCOMPARE(ini.ReadBool("System", "InitMax", true), false);
        QCOMPARE(ini.ReadInteger("panel", "LEFT2", 0), 829);
        QCOMPARE(ini.ReadString("Panel", "Height", QString()), QStringLiteral("692"));
    }

    // Every written type reads back as the value written, through a second store on the same file.
    void roundTrip() {
        const QString file = path("roundtrip.ini");
        const QString text = QStringLiteral("澄溪導師筆記 = x; [y]");
        const double rate = double(1.1f);
        {
            IniFile ini(file);
            ini.WriteString("System", "Title", text);
            ini.WriteString("System", "Empty", QString());
            ini.WriteInteger("System", "Min", INT_MIN);
            ini.WriteBool("System", "On", true);
            ini.WriteFloat("System", "Rate", rate);
            ini.WriteFloat("System", "Tiny", 1.5e-300);
            ini.UpdateFile();
        }
        const IniFile ini(file);
        QCOMPARE(ini.ReadString("System", "Title", QString()), text);
        QCOMPARE(ini.ReadString("System", "Empty", QStringLiteral("def")), QString()); // present, so not def
        QCOMPARE(ini.ReadInteger("System", "Min", 0), INT_MIN);
        QCOMPARE(ini.ReadBool("System", "On", false), true);
        QCOMPARE(ini.ReadFloat("System", "Rate", 0), rate); // 15 digits are enough for a float's value
        QCOMPARE(float(ini.ReadFloat("System", "Rate", 0)), 1.1f);
        QCOMPARE(ini.ReadFloat("System", "Tiny", 0), 1.5e-300);
    }

    // What a value reads as through ReadInteger and ReadBool; the default is -1 (true for bool).
    void readInteger_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "1400" << 1400;
        QTest::newRow("signs") << "-12" << -12;
        QTest::newRow("plus") << "+12" << 12;
        QTest::newRow("hex 0x") << "0x20" << 32;
        QTest::newRow("hex 0X") << "0X1f" << 31;
        QTest::newRow("hex $") << "$Ff" << 255;
        QTest::newRow("negative hex") << "-$10" << -16;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("largest") << "2147483647" << INT_MAX;
        QTest::newRow("smallest") << "-2147483648" << INT_MIN;
        QTest::newRow("overflow") << "2147483648" << -1;
        QTest::newRow("hex overflow") << "0xFFFFFFFF" << -1;
        QTest::newRow("long overflow") << "99999999999999999999999" << -1;
        QTest::newRow("letters") << "abc" << -1;
        QTest::newRow("trailing text") << "12px" << -1;
        QTest::newRow("decimal point") << "1.5" << -1;
        QTest::newRow("prefix only") << "0x" << -1;
        QTest::newRow("sign only") << "-" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("inner blank") << "1 2" << -1;
        QTest::newRow("full-width digits") << "１２" << -1;
    }
    void readInteger() {
        QFETCH(QString, value);
        QFETCH(int, expected);
        const QString file = path("int.ini");
        WriteBytes(file, "[S]\r\nK=" + value.toUtf8() + "\r\n");
        const IniFile ini(file);
        QCOMPARE(ini.ReadInteger("S", "K", -1), expected);
        QCOMPARE(ini.ReadBool("S", "K", true), expected != 0);
    }

    void readFloat_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("integer") << "2" << 2.0;
        QTest::newRow("fraction") << "0.75" << 0.75;
        QTest::newRow("no leading digit") << ".5" << 0.5;
        QTest::newRow("no trailing digit") << "3." << 3.0;
        QTest::newRow("exponent") << "1.5e3" << 1500.0;
        QTest::newRow("negative exponent") << "-2E-2" << -0.02;
        QTest::newRow("widened float") << "1.10000002384186" << 1.10000002384186;
        QTest::newRow("comma") << "1,5" << -1.0;
        QTest::newRow("letters") << "abc" << -1.0;
        QTest::newRow("inf") << "inf" << -1.0;
        QTest::newRow("nan") << "nan" << -1.0;
        QTest::newRow("hex") << "0x10" << -1.0;
        QTest::newRow("overflow") << "1e999" << -1.0;
        QTest::newRow("bare exponent") << "e5" << -1.0;
        QTest::newRow("empty") << "" << -1.0;
    }
    void readFloat() {
        QFETCH(QString, value);
        QFETCH(double, expected);
        const QString file = path("float.ini");
        WriteBytes(file, "[S]\r\nK=" + value.toUtf8() + "\r\n");
        QCOMPARE(IniFile(file).ReadFloat("S", "K", -1.0), expected);
    }

    void writeFloat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("one") << 1.0 << QByteArray("1");
        QTest::newRow("three quarters") << 0.75 << QByteArray("0.75");
        QTest::newRow("widened 1.1f") << double(1.1f) << QByteArray("1.10000002384186");
        QTest::newRow("widened 0.9f") << double(0.9f) << QByteArray("0.899999976158142");
        QTest::newRow("negative") << -0.5 << QByteArray("-0.5");
        QTest::newRow("large") << 1e20 << QByteArray("1e+20");
        QTest::newRow("small") << 1e-5 << QByteArray("1e-05");
        QTest::newRow("rounded") << 123456789012345678.0 << QByteArray("1.23456789012346e+17");
    }
    void writeFloat() {
        QFETCH(double, value);
        QFETCH(QByteArray, written);
        const QString file = path("wfloat.ini");
        QFile::remove(file);
        IniFile ini(file);
        ini.WriteFloat("S", "K", value);
        ini.UpdateFile();
        QCOMPARE(ReadBytes(file), Bom + "[S]\r\nK=" + written + "\r\n\r\n");
    }

    // A file as found on disk: what one lookup gives, and the file written back without changes.
    void format_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // "<def>" when the key is not found
        QTest::addColumn<QByteArray>("output");

        QTest::newRow("bom and LF") << QByteArray(Bom + "[S]\nK=v\n") << "S"
                                    << "K"
                                    << "v" << QByteArray("[S]\r\nK=v\r\n\r\n");
        QTest::newRow("no bom, CR only") << QByteArray("[S]\rA=1\rK=v") << "S"
                                         << "K"
                                         << "v" << QByteArray("[S]\r\nA=1\r\nK=v\r\n\r\n");
        QTest::newRow("blanks trimmed") << QByteArray("  [ S ]  \r\n\t K \t=  a b  \r\n") << "S"
                                        << "K"
                                        << "a b" << QByteArray("[S]\r\nK=a b\r\n\r\n");
        QTest::newRow("ideographic space kept")
            << QByteArray("[S]\r\nK=\xE3\x80\x80x\r\n") << "S"
            << "K" << QStringLiteral("\u3000x") << QByteArray("[S]\r\nK=\xE3\x80\x80x\r\n\r\n");
        QTest::newRow("letter case") << QByteArray("[system]\r\ntItLe=t\r\n") << "SYSTEM"
                                     << "title"
                                     << "t" << QByteArray("[system]\r\ntItLe=t\r\n\r\n");
        QTest::newRow("unicode case")
            << QByteArray("[\xC3\x84]\r\n\xC3\x96=x\r\n") << QStringLiteral("ä") << QStringLiteral("ö") << "x"
            << QByteArray("[\xC3\x84]\r\n\xC3\x96=x\r\n\r\n");
        QTest::newRow("comments and empty lines dropped")
            << QByteArray("[S]\r\n; note\r\n\r\n  ;K=no\r\nK=v\r\n") << "S"
            << "K"
            << "v" << QByteArray("[S]\r\nK=v\r\n\r\n");
        QTest::newRow("lines before the first section dropped")
            << QByteArray("K=early\r\nstray\r\n[S]\r\n") << "S"
            << "K"
            << "<def>" << QByteArray("[S]\r\n\r\n");
        QTest::newRow("line without = held in place")
            << QByteArray("[S]\r\nA=1\r\n  just text  \r\nB=2\r\n") << "S"
            << "just text"
            << "<def>" << QByteArray("[S]\r\nA=1\r\njust text\r\nB=2\r\n\r\n");
        QTest::newRow("first = splits") << QByteArray("[S]\r\nK = a=b = c\r\n") << "S"
                                        << "K"
                                        << "a=b = c" << QByteArray("[S]\r\nK=a=b = c\r\n\r\n");
        QTest::newRow("empty value is a value") << QByteArray("[S]\r\nK=\r\n") << "S"
                                                << "K"
                                                << "" << QByteArray("[S]\r\nK=\r\n\r\n");
        QTest::newRow("duplicate key: first wins") << QByteArray("[S]\r\nK=1\r\nk=2\r\n") << "S"
                                                   << "K"
                                                   << "1" << QByteArray("[S]\r\nK=1\r\nk=2\r\n\r\n");
        QTest::newRow("repeated section searched too")
            << QByteArray("[S]\r\nA=1\r\n[T]\r\n[s]\r\nK=2\r\n") << "S"
            << "K"
            << "2" << QByteArray("[S]\r\nA=1\r\n\r\n[T]\r\n\r\n[s]\r\nK=2\r\n\r\n");
        QTest::newRow("unclosed bracket is no header") << QByteArray("[S]\r\n[T\r\nK=v\r\n") << "S"
                                                       << "K"
                                                       << "v" << QByteArray("[S]\r\n[T\r\nK=v\r\n\r\n");
        QTest::newRow("key of another section") << QByteArray("[S]\r\n[T]\r\nK=v\r\n") << "S"
                                                << "K"
                                                << "<def>" << QByteArray("[S]\r\n\r\n[T]\r\nK=v\r\n\r\n");
    }
    void format() {
        QFETCH(QByteArray, input);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QFETCH(QByteArray, output);
        const QString file = path("format.ini");
        WriteBytes(file, input);
        IniFile ini(file);
        QCOMPARE(ini.ReadString(section, key, QStringLiteral("<def>")), expected);
        ini.UpdateFile();
        QCOMPARE(ReadBytes(file), Bom + output);
    }

    // Writing the program's keys leaves everything else where it was.
    void foreignContentKeptInPlace() {
        const QString file = path("foreign.ini");
        WriteBytes(file, "[System]\r\nTop=1\r\nTop=9\r\nColour=red\r\nheld line\r\n\r\n"
                         "[Other]\r\nX=1\r\n\r\n"
                         "[Panel]\r\nWidth=3\r\n");
        IniFile ini(file);
        ini.WriteInteger("system", "TOP", 5);     // replaces the first Top, keeps its spelling
        ini.WriteInteger("System", "InitMax", 1); // new key: end of its section
        ini.WriteInteger("Panel", "Width", 4);
        ini.WriteString("New", "K", "v"); // new section: end of the file
        ini.UpdateFile();
        QCOMPARE(ReadBytes(file),
                 Bom + "[System]\r\nTop=5\r\nTop=9\r\nColour=red\r\nheld line\r\nInitMax=1\r\n\r\n"
                       "[Other]\r\nX=1\r\n\r\n"
                       "[Panel]\r\nWidth=4\r\n\r\n"
                       "[New]\r\nK=v\r\n\r\n");
    }

    // Names and values that would come back as other lines are refused, and nothing changes.
    void unwritable_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("line break in value") << "S"
                                             << "K"
                                             << "1\r\n[Evil]";
        QTest::newRow("line break in key") << "S"
                                           << "K\nX"
                                           << "1";
        QTest::newRow("CR in section") << "S\rT"
                                       << "K"
                                       << "1";
        QTest::newRow("= in key") << "S"
                                  << "a=b"
                                  << "1";
        QTest::newRow("comment key") << "S"
                                     << ";K"
                                     << "1";
        QTest::newRow("header-like key") << "S"
                                         << "[K"
                                         << "]";
        QTest::newRow("space before section") << " S"
                                              << "K"
                                              << "1";
        QTest::newRow("control character before section") << "\x01S"
                                                          << "K"
                                                          << "1";
        QTest::newRow("tab after section") << "S\t"
                                           << "K"
                                           << "1";
        QTest::newRow("space before key") << "S"
                                          << " K"
                                          << "1";
        QTest::newRow("space after key") << "S"
                                         << "K "
                                         << "1";
        QTest::newRow("tab before value") << "S"
                                          << "K"
                                          << "\t1";
        QTest::newRow("NUL after value") << "S"
                                         << "K" << QString("1") + QChar(0);
        QTest::newRow("escape after value") << "S"
                                            << "K"
                                            << "1\x1b";
        QTest::newRow("unpaired surrogate in value") << "S"
                                                     << "K" << QString("a") + QChar(0xD800) + "b";
        QTest::newRow("unpaired surrogate in section") << QString(QChar(0xDC00)) << "K"
                                                       << "1";
    }
    void unwritable() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QString file = path("unwritable.ini");
        WriteBytes(file, "[S]\r\nK=old\r\n");
        IniFile ini(file);
        try {
            ini.WriteString(section, key, value);
            QFAIL("WriteString did not raise");
        } catch (const VelmoraError &e) {
            // The message names the file and shows control characters as \uXXXX, not raw.
            QVERIFY2(e.message().contains(file), qPrintable(e.message()));
            for (const QChar c : e.message())
                QVERIFY2(c.unicode() >= 0x20 && !c.isSurrogate(), qPrintable(e.message()));
        }
        ini.UpdateFile();
        QCOMPARE(ReadBytes(file), Bom + "[S]\r\nK=old\r\n\r\n");
    }

    // Odd names and values that do read back as written are taken (the rule is exactly what the reader
    // gives back, no more and no less).
    void writableOddities_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("brackets inside a section") << "a]b[c]"
                                                   << "K"
                                                   << "1";
        QTest::newRow("control character inside a section") << "a\tb"
                                                            << "K"
                                                            << "1";
        QTest::newRow("bracket-led key, value not ending in ]") << "S"
                                                                << "[K"
                                                                << "x";
        QTest::newRow("ideographic spaces at the ends")
            << QStringLiteral("\u3000S\u3000") << QStringLiteral("\u00a0K") << QStringLiteral("v\u3000");
        QTest::newRow("= and ; inside a value") << "S"
                                                << "K"
                                                << ";a=b";
        QTest::newRow("empty key") << "S"
                                   << ""
                                   << "v";
    }
    void writableOddities() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QString file = path("oddities.ini");
        QFile::remove(file);
        {
            IniFile ini(file);
            ini.WriteString(section, key, value);
            ini.UpdateFile();
        }
        QCOMPARE(IniFile(file).ReadString(section, key, "\n<absent>"), value);
    }

    // The writer takes exactly the names and values the reader gives back unchanged: WriteString
    // succeeds if and only if a file holding what UpdateFile writes for it reads back the same value
    // under the same names. Tried for every key against every value and every section name made of a
    // character that matters to the format alone, before, after or inside a letter, and for random
    // combinations of all three.
    void writerAcceptsExactlyWhatReadsBack() {
        const QList<QChar> alphabet = {
            u'a',        u'Z',          u' ',          u'\t',         QChar(1),      QChar(0x1f), QChar(0x7f),
            QChar(0),    u';',          u'[',          u']',          u'=',          u'\n',       u'\r',
            QChar(0xa0), QChar(0x3000), QChar(0xD800), QChar(0xDC00), QChar(0xFEFF), QChar(0xC4)};
        QStringList shapes = {QString(), QStringLiteral("a")};
        for (const QChar c : alphabet)
            shapes << QString(c) << c + QStringLiteral("a") << QStringLiteral("a") + c
                   << QStringLiteral("a") + c + u'a';

        const QString raw = path("raw.ini");
        const QString absent = QStringLiteral("\n<absent>"); // no value read can hold a line break
        auto show = [](const QString &s) {
            QString out;
            for (const QChar c : s)
                out += c.unicode() < 0x20 || c.unicode() > 0x7e
                           ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'))
                           : QString(c);
            return u'"' + out + u'"';
        };
        int accepted = 0;
        int refused = 0;
        auto check = [&](const QString &section, const QString &key, const QString &value) {
            // What UpdateFile writes for a store holding just this key.
            const QString text =
                u'[' + section + QStringLiteral("]\r\n") + key + u'=' + value + QStringLiteral("\r\n\r\n");
            QFile::remove(raw); // a new file each time: rewriting one in place makes ext4 flush it at close
            WriteBytes(raw, Bom + text.toUtf8());
            const bool readsBack = IniFile(raw).ReadString(section, key, absent) == value;
            bool taken = true;
            try {
                IniFile(path("never-written.ini")).WriteString(section, key, value);
            } catch (const VelmoraError &) {
                taken = false;
            }
            (taken ? accepted : refused) += 1;
            if (taken == readsBack) return true;
            qWarning("section %s, key %s, value %s: %s", qPrintable(show(section)), qPrintable(show(key)),
                     qPrintable(show(value)),
                     readsBack ? "reads back but was refused" : "was taken but does not read back");
            return false;
        };
        int wrong = 0;
        for (const QString &key : std::as_const(shapes))
            for (const QString &value : std::as_const(shapes))
                wrong += !check(QStringLiteral("S"), key, value);
        for (const QString &section : std::as_const(shapes))
            wrong += !check(section, QStringLiteral("K"), QStringLiteral("v"));
        QRandomGenerator rng(11);
        auto randomText = [&] {
            QString t;
            for (int n = rng.bounded(4); n > 0;
                 --n) // half plain letters, so that many combinations are taken
                t += rng.bounded(2) ? QChar(u'a') : alphabet[rng.bounded(alphabet.size())];
            return t;
        };
        for (int i = 0; i < 1000; ++i)
            wrong += !check(randomText(), randomText(), randomText());
        qInfo("%d combinations taken, %d refused", accepted, refused);
        QCOMPARE(wrong, 0);
        QVERIFY(accepted > 1000 && refused > 1000);
    }

    // A section whose name begins with a control character was never found again, so every save
    // appended another copy of it. Now the name is refused and the file stays as it was.
    void controlCharacterSectionNotDuplicated() {
        const QString file = path("dup.ini");
        WriteBytes(file, "[S]\r\nK=1\r\n");
        for (int round = 0; round < 3; ++round) {
            IniFile ini(file);
            try {
                ini.WriteString("\x02Layout", "K", "1");
            } catch (const VelmoraError &) {
            }
            ini.UpdateFile();
        }
        QCOMPARE(ReadBytes(file), Bom + "[S]\r\nK=1\r\n\r\n");
    }

    // setup.ini and velmoranote.ini are found regardless of letter case, as the program's other paths
    // are, and writing replaces the file that is there instead of creating a second one.
    void letterCase() {
        QTemporaryDir dir;
        WriteBytes(dir.filePath("SETUP.INI"), "[System]\r\nTitle=Found\r\n");
        QCOMPARE(IniFile(dir.filePath("setup.ini")).ReadString("System", "Title", "def"),
                 QStringLiteral("Found"));
        WriteBytes(dir.filePath("VelmoraNote.ini"), "[System]\r\nTop=1\r\n");
        {
            IniFile ini(dir.filePath("velmoranote.ini"));
            QCOMPARE(ini.ReadInteger("System", "Top", 0), 1);
            ini.WriteInteger("System", "Top", 2);
            ini.UpdateFile();
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"SETUP.INI", "VelmoraNote.ini"}));
        QCOMPARE(ReadBytes(dir.filePath("VelmoraNote.ini")), Bom + "[System]\r\nTop=2\r\n\r\n");
        // Created when missing, under the name given.
        IniFile fresh(dir.filePath("Fresh.ini"));
        fresh.WriteInteger("S", "K", 1);
        fresh.UpdateFile();
        QVERIFY(QFile::exists(dir.filePath("Fresh.ini")));
    }

    // A settings file marked read-only is left alone, also when run with full rights.
    void readOnlyFileUntouched() {
        QTemporaryDir dir;
        const QString file = dir.filePath("velmoranote.ini");
        WriteBytes(file, "[System]\r\nTop=1\r\n");
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        IniFile ini(file);
        ini.WriteInteger("System", "Top", 2);
        try {
            ini.UpdateFile();
            QFAIL("UpdateFile did not raise");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains(file), qPrintable(e.message()));
        }
        QCOMPARE(ReadBytes(file), QByteArray("[System]\r\nTop=1\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"velmoranote.ini"});
    }

    // A file-size limit (RLIMIT_FSIZE, which binds root too) stepped over the last 20 KB of writing a
    // settings file of about 40 KB: every step raises the program's error naming the file and "File too
    // large", the old file stays byte-identical and no temporary file is left.
    void fileSizeLimitSweep() {
        QTemporaryDir dir;
        const QString file = dir.filePath("velmoranote.ini");
        QByteArray old = "[System]\r\nTop=1\r\n";
        for (int i = 0; old.size() < 40000; ++i)
            old += "[Foreign" + QByteArray::number(i) + "]\r\nKey=" + QByteArray(40, 'v') + "\r\n";
        WriteBytes(file, old);
        IniFile ini(file);
        ini.WriteInteger("System", "Top", 2);
        qint64 n = 0;
        {
            QTemporaryDir other;
            WriteBytes(other.filePath("x.ini"), old);
            IniFile again(other.filePath("x.ini"));
            again.WriteInteger("System", "Top", 2);
            again.UpdateFile();
            n = QFileInfo(other.filePath("x.ini")).size();
        }
        QVERIFY(n > 30000);
        std::set<qint64> limits{0, 3, n / 2, n - 1, n - 20 * 1024};
        for (qint64 l = n - 20 * 1024; l < n; l += 512)
            limits.insert(l);
        int steps = 0;
        qint64 lost = 0;
        for (const qint64 limit : limits) {
            const ChildOutcome o = RunInChild([&](QByteArray &) {
                LimitFileSize(rlim_t(limit));
                ini.UpdateFile();
            });
            const QByteArray now = ReadBytes(file);
            if (now != old) {
                lost += qMax<qint64>(1, old.size() - now.size());
                WriteBytes(file, old);
            }
            ++steps;
            const QByteArray where =
                "limit " + QByteArray::number(limit) + " of " + QByteArray::number(n) + ": ";
            QVERIFY2(o.threwVelmoraError(), (where + o.describe()).constData());
            QVERIFY2(o.report.contains(file.toUtf8()) && o.report.contains("檔案太大"),
                     (where + o.describe()).constData());
            QVERIFY2(now == old, (where + "the old file changed").constData());
            QCOMPARE(FolderFiles(dir.path()), QStringList{"velmoranote.ini"});
        }
        qInfo("settings file-size limit: %d steps over the last 20 KB of a %lld-byte save, %lld bytes lost",
              steps, n, lost);
        QCOMPARE(lost, 0);
    }

    // A real full disk (a small tmpfs in the child's own mount namespace; needs root): the error names the
    // file and says the disk is full ("裝置上已無空間"), not "Unknown error"; the old file stays.
    void diskFull_data() {
        QTest::addColumn<qint64>("room");
        QTest::newRow("full from the start") << qint64(0);
        QTest::newRow("full during the save") << qint64(8192);
    }
    void diskFull() {
        QFETCH(qint64, room);
        QTemporaryDir dir;
        const QString disk = dir.filePath("disk");
        QVERIFY(QDir().mkpath(disk));
        const QString file = disk + "/velmoranote.ini";
        QByteArray old = "[System]\r\nTop=1\r\n";
        for (int i = 0; old.size() < 40000; ++i)
            old += "[Foreign" + QByteArray::number(i) + "]\r\nKey=" + QByteArray(40, 'v') + "\r\n";
        const ChildOutcome o = RunInChild([&](QByteArray &report) {
            if (!MountSmallDisk(disk, 1 << 20)) {
                report = "no-disk";
                return;
            }
            WriteBytes(file, old);
            IniFile ini(file);
            ini.WriteInteger("System", "Top", 2);
            if (!FillDisk(disk, "filler", room)) {
                report = "no-fill";
                return;
            }
            auto after = [&] {
                report = "\nunchanged=" + QByteArray(ReadBytes(file) == old ? "1" : "0") +
                         "\nfiles=" + FolderFiles(disk).join(u'|').toUtf8();
            };
            try {
                ini.UpdateFile();
            } catch (...) {
                after();
                throw;
            }
            after();
        });
        if (o.report.startsWith("ok\nno-")) QSKIP(("cannot make a small disk here: " + o.report).constData());
        QVERIFY2(o.threwVelmoraError(), o.describe().constData());
        QVERIFY2(o.report.contains(file.toUtf8()), o.describe().constData());
        QVERIFY2(o.report.contains("裝置上已無空間"), o.describe().constData());
        QVERIFY2(!o.report.contains("Unknown error"), o.describe().constData());
        QVERIFY2(o.report.contains("\nunchanged=1"), o.describe().constData());
        QVERIFY2(o.report.contains("\nfiles=filler|velmoranote.ini"), o.describe().constData());
    }

    // A file that cannot be written raises an error naming it and leaves no file behind.
    void failedWriteCreatesNothing() {
        const QString folder = path("no-such-folder");
        const QString file = folder + "/velmoranote.ini";
        const QStringList before = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden);
        IniFile ini(file);
        ini.WriteInteger("System", "Top", 1);
        try {
            ini.UpdateFile();
            QFAIL("UpdateFile did not raise");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains(file), qPrintable(e.message()));
        }
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    // A file that exists but cannot be read is not replaced by an empty one.
    void unreadableFileNotReplaced() {
        if (geteuid() == 0) QSKIP("root reads every file");
        const QString file = path("locked.ini");
        WriteBytes(file, "[S]\r\nK=v\r\n");
        QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
        IniFile ini(file);
        QCOMPARE(ini.ReadString("S", "K", "def"), QStringLiteral("def"));
        QVERIFY_THROWS_EXCEPTION(VelmoraError, ini.UpdateFile());
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(ReadBytes(file), QByteArray("[S]\r\nK=v\r\n"));
    }

    // A named pipe named like the settings file does not block the start, and one far larger than any
    // settings file is not read into memory; neither is overwritten.
    void oddSettingsFilesAreNotRead() {
        QTemporaryDir dir;
        const QString pipe = dir.filePath("setup.ini");
        QVERIFY(MakeFifo(pipe));
        {
            FifoReleaser releaser(pipe);
            IniFile ini(pipe);
            QVERIFY(!releaser.releasedAReader());
            QCOMPARE(ini.ReadString("S", "K", "def"), QStringLiteral("def"));
            QVERIFY_THROWS_EXCEPTION(VelmoraError, ini.UpdateFile());
            QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
        }
        const QString huge = dir.filePath("huge.ini");
        {
            QFile f(huge);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[S]\r\nK=v\r\n");
            f.write(QByteArray(kIniFileLimit, ';'));
        }
        IniFile ini(huge);
        QCOMPARE(ini.ReadString("S", "K", "def"), QStringLiteral("def"));
        try {
            ini.UpdateFile();
            QFAIL("a settings file that was not read was overwritten");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains("huge.ini") && e.message().contains("MB"), qPrintable(e.message()));
        }
        QCOMPARE(QFileInfo(huge).size(), kIniFileLimit + 10);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
