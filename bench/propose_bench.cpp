// Position proposals: how many entries the best proposal puts within 45 scan pixels of their stored
// position, with the stored positions hidden as the capture meets them (velmora-notes propose --all),
// per notebook of a library; and the time to read a scan's layout, its decode included, beside
// decoding the same scan in full with libjpeg alone, in the same run.
//   velmora-bench-propose LABEL:LIBRARY... [RUNS]

#include "BenchRecord.h"

#include "corpus/Data.h"
#include "images/NotebookProposals.h"
#include "images/PageLayout.h"
#include "images/ScanGrey.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>

#include <cmath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

// The plain decode: the whole scan at its size, in colour, as the reader's window decodes it.
void PlainDecode(const QByteArray &bytes, std::vector<unsigned char> &pixels) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * 4;
    pixels.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

double Ms(QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}

void Library(const QString &label, const QString &folder, int runs) {
    const QDir dir(folder);
    std::vector<double> layoutMs, decodeMs;
    for (const QString &name :
         dir.entryList({QStringLiteral("velmora200_*.xml")}, QDir::Files, QDir::Name | QDir::IgnoreCase)) {
        Notebook book;
        book.LoadNotes(dir.filePath(name));
        const NotebookProposals run = ProposeNotebook(book.entries, folder, true);
        int asked = 0, hits = 0;
        for (const EntryProposal &p : run.entries) {
            const NoteEntry &e = book.entries[p.record];
            if (!e.HasPosition()) continue;
            ++asked;
            if (p.found && std::hypot(double(p.position.x() - e.x), double(p.position.y() - e.y)) <= 45)
                ++hits;
        }
        // The harder library writes each notebook in a hand of its own (tools/DemoHard.cpp).
        const QString letter = name.mid(11, 1).toUpper();
        static const QHash<QString, QString> hands{
            {"K", "K brush"}, {"M", "M outdent only"}, {"N", "N length only"}, {"O", "O columns"}};
        const QString shown = label == QLatin1String("harder") ? hands.value(letter, letter) : letter;
        bench::Figure f(QStringLiteral("%1 %2").arg(label, shown),
                        QStringLiteral("proposals within 45 px, positions hidden"), QStringLiteral("%"),
                        {asked ? 100.0 * hits / asked : 0});
        f.targetMin = label == QLatin1String("demo") ? 97 : 92;
        f.note = QStringLiteral("%1 of %2 entries").arg(hits).arg(asked);
        bench::Emit(f);
    }
    // Every scan of the library: its layout (decode included) and the plain decode, alternately.
    std::vector<unsigned char> pixels;
    for (const QString &letter :
         QDir(dir.filePath(QStringLiteral("Image"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir scans(dir.filePath(QStringLiteral("Image/") + letter));
        for (const QString &scan : scans.entryList({QStringLiteral("*.jpg")}, QDir::Files)) {
            QFile f(scans.filePath(scan));
            if (!f.open(QIODevice::ReadOnly)) continue;
            const QByteArray bytes = f.readAll();
            for (int r = 0; r < runs; ++r) {
                QElapsedTimer t;
                t.start();
                const PageLayout layout = ReadPageLayout(DecodeScanGrey(bytes, 4, scan));
                layoutMs.push_back(Ms(t));
                if (layout.lines.empty()) std::fprintf(stderr, "%s: no lines\n", qPrintable(scan));
                t.restart();
                PlainDecode(bytes, pixels);
                decodeMs.push_back(Ms(t));
            }
        }
    }
    bench::Figure median(label, QStringLiteral("layout of a scan, its decode included (median)"),
                         QStringLiteral("ms"), layoutMs, QStringLiteral("libjpeg decode of the scan"),
                         decodeMs);
    median.targetMax = 150;
    median.targetRatio = 4;
    bench::Emit(median);
    const auto worst = [](std::vector<double> v) {
        return std::vector<double>{*std::max_element(v.begin(), v.end())};
    };
    bench::Figure slowest(label, QStringLiteral("layout of a scan, slowest"), QStringLiteral("ms"),
                          worst(layoutMs), QStringLiteral("libjpeg decode, slowest"), worst(decodeMs));
    slowest.targetMax = 150;
    bench::Emit(slowest);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int runs = 3;
    if (!args.isEmpty() && !args.last().contains(QLatin1Char(':')))
        runs = std::max(1, args.takeLast().toInt());
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: velmora-bench-propose LABEL:LIBRARY... [RUNS]\n");
        return 2;
    }
    for (const QString &a : args) {
        const int colon = int(a.indexOf(QLatin1Char(':')));
        Library(a.left(colon), a.mid(colon + 1), runs);
    }
    return 0;
}
