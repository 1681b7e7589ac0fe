// The harder demo library: the demo's four notebooks written four harder ways, for the position
// proposals' tests and bench. K in a brush-like hand on ruled paper with specks, the headword larger;
// M dense, the headword the size of the text and running on into it, only an outdent marking an
// entry; N dense, the headword alone on a short line, the text as large and not indented, and the
// person who placed its entries clicking in the margin before the headword; O in columns written top
// to bottom from the right, the headword's column one glyph higher than the text's. Every entry's
// true position is stored in its notes file.

#include "tools/DemoLibrary.h"

#include "corpus/Error.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>

#include <cmath>

namespace demo {
namespace {

enum class Hand { Brush, DenseOutdent, DenseLength, Vertical };

struct Lcg {
    quint32 state;
    explicit Lcg(quint32 seed) : state(seed * 2654435761u + 12345u) {}
    quint32 Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    double Jitter(double range) { return (double(Next() % 20001) / 10000.0 - 1.0) * range; }
};

constexpr int kLeft = 300, kRight = 2200, kTop = 360, kBottom = 3250;

struct Style {
    Hand hand;
    int headSize;    // glyph size of the headword
    int textSize;    // of the text
    double pitch;    // across, in glyph sizes
    double jitter;   // of a glyph's place, in glyph sizes
    double turn;     // of a glyph, in degrees
    double blockGap; // extra space before an entry, in glyph sizes
    QPointF click;   // where the person clicks, from the middle of the first glyph, in glyph sizes
    int maxLines;    // of an entry's text
};

Style StyleOf(Hand hand) {
    switch (hand) {
    case Hand::Brush:
        return {hand, 84, 60, 1.55, 0.07, 6.0, 0.5, {0, 0}, 3};
    case Hand::DenseOutdent:
        return {hand, 60, 60, 1.42, 0.03, 1.5, 0, {0, 0}, 3};
    case Hand::DenseLength:
        return {hand, 60, 60, 1.42, 0.03, 1.5, 0, {-0.9, 0}, 3};
    case Hand::Vertical:
        return {hand, 60, 60, 1.5, 0.03, 1.5, 0, {0, 0}, 2};
    }
    return {};
}

QFont GlyphFont(int size, bool bold) {
    QFont f(QStringLiteral("Noto Serif CJK TC"));
    f.setPixelSize(size);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Draws one glyph centred on `centre` with the hand's wobble; returns the middle of its ink.
QPointF DrawGlyph(QPainter &p, QChar ch, QPointF centre, int size, const Style &style, Lcg &rng, bool bold) {
    if (ch.isSpace() || ch == QChar(0x3000)) return centre;
    QPainterPath path;
    path.addText(0, 0, GlyphFont(size, bold), QString(ch));
    const QPointF middle = path.boundingRect().center();
    const QPointF at = centre + QPointF(rng.Jitter(style.jitter * size), rng.Jitter(style.jitter * size));
    QTransform t;
    t.translate(at.x(), at.y());
    t.rotate(rng.Jitter(style.turn));
    const double scale = style.hand == Hand::Brush ? 1 + rng.Jitter(0.08) : 1.0;
    t.scale(scale, scale);
    t.translate(-middle.x(), -middle.y());
    const int ink = 20 + int(rng.Next() % 40);
    const QColor colour(ink, ink, ink + 8);
    const QPainterPath placed = t.map(path);
    p.fillPath(placed, colour);
    if (style.hand == Hand::Brush) // a brush lays its strokes on unevenly thick
        p.strokePath(placed, QPen(colour, 1 + rng.Next() % 5));
    return placed.boundingRect().center();
}

QString BodyText(const DemoEntry &e) {
    QString s = PlainText(e.content.join(QString())) + PlainText(e.note.join(QString()));
    s.remove(QRegularExpression(QStringLiteral("\\s")));
    return s;
}

QString HeadText(const DemoEntry &e) {
    QString s = PlainText(e.headword.join(QString()));
    s.remove(QRegularExpression(QStringLiteral("[\\s\\x{3000}]")));
    return s;
}

// A cell of the page in the writing's own terms: `along` glyph cells into its line, `across` the line's
// middle (a y, or for columns an x).
QPointF Cell(const Style &style, double along, double across, int size) {
    if (style.hand == Hand::Vertical) return QPointF(across, kTop + along * size + size / 2.0);
    return QPointF(kLeft + along * size + size / 2.0, across);
}

void DrawSheet(QPainter &p, const Style &style, const QString &name, Lcg &rng, int number) {
    p.fillRect(QRect(0, 0, kScanWidth, kScanHeight), QColor(240, 234, 220));
    // Paper grain.
    for (int i = 0; i < 6000; ++i) {
        const int shade = 200 + int(rng.Next() % 30);
        p.fillRect(QRectF(rng.Next() % kScanWidth, rng.Next() % kScanHeight, 2, 2),
                   QColor(shade, shade - 4, shade - 14));
    }
    p.setPen(QPen(QColor(110, 140, 190), 3));
    if (style.hand == Hand::Brush) {
        const double pitch = style.textSize * style.pitch;
        for (double y = kTop - pitch / 2; y < kBottom; y += pitch)
            p.drawLine(QPointF(200, y), QPointF(kScanWidth - 180, y));
        p.setPen(QPen(QColor(200, 90, 90), 3));
        p.drawLine(250, 150, 250, kScanHeight - 150);
    } else if (style.hand == Hand::Vertical) {
        const double pitch = style.textSize * style.pitch;
        for (double x = kRight - style.headSize / 2.0 + pitch / 2; x > kLeft - pitch; x -= pitch)
            p.drawLine(QPointF(x, kTop - 60), QPointF(x, kBottom + 40));
    } else {
        p.setFont(GlyphFont(44, false));
        p.setPen(QColor(80, 80, 90));
        p.drawText(QPointF(kLeft, 230), QStringLiteral("澄溪導師筆記・%1").arg(name));
        p.setPen(QPen(QColor(110, 140, 190), 3));
        p.drawLine(kLeft - 60, 270, kRight + 60, 270);
    }
    // The page number under the writing.
    p.setFont(GlyphFont(40, false));
    p.setPen(QColor(70, 70, 80));
    p.drawText(QPointF(kScanWidth / 2 - 30, kScanHeight - 110), QString::number(number));
    // Specks of dirt.
    for (int i = 0; i < 30; ++i) {
        const double r = 2 + rng.Next() % 5;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 55, 50));
        p.drawEllipse(QPointF(rng.Next() % kScanWidth, rng.Next() % kScanHeight), r, r);
    }
}

// Writes entries from `next` onto one page, as many as fit; sets their positions and returns the scan.
QImage DrawPage(const Style &style, QList<DemoEntry> &entries, int &next, const QString &name, int number) {
    QImage img(kScanWidth, kScanHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Lcg rng(quint32(number * 7919 + int(style.hand) * 104729));
    DrawSheet(p, style, name, rng, number);

    const bool vertical = style.hand == Hand::Vertical;
    const int g = style.textSize;
    const double pitch = g * style.pitch;
    const int cells = int((vertical ? kBottom - kTop : kRight - kLeft) / g);
    // Across: y growing down, or x shrinking to the left.
    double across = vertical ? kRight - style.headSize / 2.0 : kTop + style.headSize / 2.0;
    const double acrossEnd = vertical ? kLeft : kBottom;
    const auto room = [&](double a, double need) {
        return vertical ? a - need >= acrossEnd : a + need <= acrossEnd;
    };
    const auto step = [&](double a, double d) { return vertical ? a - d : a + d; };
    bool first = true;
    while (next < entries.size()) {
        DemoEntry &e = entries[next];
        const QString head = HeadText(e);
        const QString body = BodyText(e);
        const int lines = 1 + int(rng.Next() % style.maxLines);
        if (!first) across = step(across, style.blockGap * g);
        if (!room(across, pitch * (style.hand == Hand::DenseLength || style.hand == Hand::Brush ? 2 : 1)))
            break;
        const bool bold = style.hand == Hand::Brush;
        const int hs = style.headSize;
        const double indentJitter = style.hand == Hand::Brush ? rng.Next() % 3 * 0.25 : 0;
        QPointF firstInk;
        // The headword.
        for (int k = 0; k < head.size(); ++k) {
            const QPointF c = Cell(style, indentJitter * g / hs + k, across, hs);
            const QPointF ink = DrawGlyph(p, head.at(k), c, hs, style, rng, bold);
            if (k == 0) firstInk = ink;
        }
        const QPointF click = firstInk + style.click * hs;
        e.x = int(std::lround(click.x())) + kOverlayShift;
        e.y = int(std::lround(click.y()));
        // The text: on the headword's line after a space (dense outdent, columns), or on lines of its own.
        int pos = 0;
        int cell = 0;
        double lineAcross = across;
        const bool runOn = style.hand == Hand::DenseOutdent || style.hand == Hand::Vertical;
        const int indent = style.hand == Hand::DenseOutdent ? 2 : style.hand == Hand::Vertical ? 1 : 0;
        if (runOn) {
            cell = int(head.size()) + 1;
        } else {
            lineAcross = step(across, (hs + g) / 2.0 * style.pitch);
            cell = 0;
        }
        int line = 0;
        while (pos < body.size() && line < lines) {
            if (cell >= cells) {
                if (line + 1 >= lines || !room(lineAcross, pitch * 1.5)) break;
                ++line;
                lineAcross = step(lineAcross, pitch);
                cell = indent;
            }
            DrawGlyph(p, body.at(pos++), Cell(style, cell++, lineAcross, g), g, style, rng, false);
        }
        // The last text line ends short of the full line (a sentence ends there).
        across = step(lineAcross, pitch);
        ++next;
        first = false;
    }
    p.end();
    return img;
}

void WriteFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw VelmoraError(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
}

} // namespace

Summary WriteHardLibrary(const QString &folder) {
    const QString root = QDir::cleanPath(folder);
    if (!QDir().mkpath(root)) throw VelmoraError(QStringLiteral("cannot create folder %1").arg(root));
    const Hand hands[] = {Hand::Brush, Hand::DenseOutdent, Hand::DenseLength, Hand::Vertical};
    Summary sum;
    QList<DemoBook> books = BuildBooks();
    for (int b = 0; b < books.size() && b < 4; ++b) {
        DemoBook &book = books[b];
        const Style style = StyleOf(hands[b]);
        QList<DemoEntry> entries;
        for (const DemoPage &page : book.pages)
            entries += page.entries;
        const QString images = root + QStringLiteral("/Image/") + book.letter;
        if (!QDir().mkpath(images)) throw VelmoraError(QStringLiteral("cannot create folder %1").arg(images));
        book.pages.clear();
        int next = 0;
        while (next < entries.size()) {
            DemoPage page;
            page.name =
                QStringLiteral("%1%2").arg(book.letter).arg(book.pages.size() + 1, 3, 10, QLatin1Char('0'));
            const int from = next;
            const QImage scan = DrawPage(style, entries, next, page.name, int(book.pages.size()) + 1);
            if (next == from)
                throw VelmoraError(
                    QStringLiteral("an entry does not fit on a page: %1").arg(HeadText(entries[from])));
            page.entries = entries.mid(from, next - from);
            WriteFile(images + QLatin1Char('/') + page.name + QStringLiteral(".jpg"), EncodeJpeg(scan, 85));
            book.pages.append(page);
            ++sum.scans;
        }
        const QString path = root + QLatin1Char('/') + book.fileName;
        WriteFile(path, NotesFileBytes(book));
        const QString problem = CheckNotesFile(path, book);
        if (!problem.isEmpty()) throw VelmoraError(QStringLiteral("notes check failed: %1").arg(problem));
        ++sum.notebooks;
        sum.pageLines += int(book.pages.size());
        sum.entries += int(entries.size());
        sum.positions += int(entries.size());
    }
    WriteFile(root + QStringLiteral("/setup.ini"), SetupIniBytes());
    return sum;
}

} // namespace demo
