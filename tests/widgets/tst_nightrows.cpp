// The list rows at night: every notebook's stripes keep their hue and their order of depth (alternate
// row, row, page header) while the light text stays legible on each, and the star stands out.
#include "widgets/Look.h"

#include <QtTest>

namespace {

double Luminance(const QColor &c) {
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor &a, const QColor &b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class TestNightRows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stripesStayRecognisable() {
        const QColor text(0xE3, 0xE3, 0xE3);
        for (size_t b = 0; b < 4; ++b) {
            const QColor alt = NightRowColour(NotebookAltRowColours()[b]);
            const QColor row = NightRowColour(NotebookRowColours()[b]);
            const QColor page = NightRowColour(PageRowColours()[b]);
            const QString which = QStringLiteral("notebook %1").arg(b);
            for (const QColor &c : {alt, row, page}) {
                // The same hue, within the rounding of eight-bit channels.
                QVERIFY2(std::abs(c.hslHue() - NotebookRowColours()[b].hslHue()) <= 3,
                         qPrintable(which + " " + c.name()));
                QVERIFY2(Contrast(text, c) >= 4.5, qPrintable(which + " " + c.name()));
                QVERIFY2(Contrast(StarColour(true), c) >= 3.0, qPrintable(which + " star on " + c.name()));
            }
            QVERIFY2(alt.lightness() < row.lightness() && row.lightness() < page.lightness(),
                     qPrintable(which));
            QVERIFY2(Contrast(StarColour(false), NotebookRowColours()[b]) >= 3.0, qPrintable(which));
        }
        for (size_t s = 0; s < ScanRowColours().size(); ++s)
            QVERIFY(Contrast(text, NightRowColour(ScanRowColours()[s])) >= 4.5);
        QVERIFY(Contrast(Qt::white, SelectionColour(true)) >= 4.5);
    }
};

QTEST_MAIN(TestNightRows)
#include "tst_nightrows.moc"
