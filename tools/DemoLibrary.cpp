// Writes the demo library folder: notes files, page scans, PDF volumes, manual and setup.ini.

#include "tools/DemoLibrary.h"

#include "common/Error.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>

namespace demo {
namespace {

void WriteFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw VelmoraError(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
}

QString MakeFolder(const QString &path) {
    if (!QDir().mkpath(path)) throw VelmoraError(QStringLiteral("cannot create folder %1").arg(path));
    return path;
}

int WriteScans(const QList<DemoPage> &pages, const QString &runningHead, const QString &folder) {
    for (const DemoPage &page : pages)
        WriteFile(folder + QLatin1Char('/') + page.name + QStringLiteral(".jpg"),
                  EncodeJpeg(DrawScan(page, runningHead), 85));
    return int(pages.size());
}

} // namespace

QByteArray SetupIniBytes() {
    return QByteArray("\xEF\xBB\xBF") + QStringLiteral("[System]\r\nTitle=澄溪導師筆記\r\n").toUtf8();
}

Summary WriteDemoLibrary(const QString &folder) {
    // Without the CJK font every character of the scans and PDFs would be an empty box.
    if (!QFontDatabase::families().contains(QStringLiteral("Noto Serif CJK TC")))
        throw VelmoraError(
            QStringLiteral("the font \"Noto Serif CJK TC\" is not installed (package fonts-noto-cjk)"));
    const QString root = MakeFolder(QDir::cleanPath(folder));
    const QList<DemoBook> books = BuildBooks();
    Summary sum;

    for (const DemoBook &book : books) {
        const QString path = root + QLatin1Char('/') + book.fileName;
        WriteFile(path, NotesFileBytes(book));
        // Read every file back through the reader the program uses, record by record.
        const QString problem = CheckNotesFile(path, book);
        if (!problem.isEmpty()) throw VelmoraError(QStringLiteral("notes check failed: %1").arg(problem));
        ++sum.notebooks;
        for (const DemoPage &page : book.pages) {
            ++sum.pageLines;
            for (const DemoEntry &e : page.entries) {
                ++sum.entries;
                if (e.x >= 0) ++sum.positions;
            }
        }
    }

    for (const DemoBook &book : books) {
        sum.scans +=
            WriteScans(book.pages, book.title, MakeFolder(root + QStringLiteral("/Image/") + book.letter));
        if (book.letter == QLatin1Char('K'))
            sum.scans += WriteScans(LooseScanPages(), QStringLiteral("讀書札記"),
                                    MakeFolder(root + QStringLiteral("/Image/L")));
        sum.pdfs +=
            int(WritePdfVolumes(book, MakeFolder(root + QStringLiteral("/PDF/") + book.letter)).size());
    }

    WriteReadme(root + QStringLiteral("/readme.pdf"));
    ++sum.pdfs;
    WriteFile(root + QStringLiteral("/setup.ini"), SetupIniBytes());
    return sum;
}

} // namespace demo
