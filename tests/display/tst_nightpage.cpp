// The night page: the default page head untouched, every class of the default sheet given again, and
// every colour the night sheet gives text legible (WCAG contrast at least 4.5:1) on the page's dark
// background and on each background class the notes may put under it.
#include "display/EntryPage.h"
#include "display/NightPage.h"

#include <QRegularExpression>
#include <QtTest>
#include <cmath>
#include <map>

namespace {

// selector -> property -> value, from the page head's style sheet.
using Sheet = std::map<QString, std::map<QString, QString>>;

Sheet ParseSheet(const QString &head) {
    const qsizetype from = head.indexOf(QLatin1String("<style>")),
                    to = head.indexOf(QLatin1String("</style>"));
    const QString css = head.mid(from + 7, to - from - 7);
    Sheet sheet;
    static const QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^}]*)\\}"));
    for (auto m = rule.globalMatch(css); m.hasNext();) {
        const auto match = m.next();
        for (const QString &declaration : match.captured(2).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
            if (colon < 0) continue;
            sheet[match.captured(1).simplified()][declaration.left(colon).trimmed()] =
                declaration.mid(colon + 1).trimmed();
        }
    }
    return sheet;
}

double Luminance(const QString &hex) {
    double channels[3];
    for (int i = 0; i < 3; ++i) {
        const double c = hex.mid(1 + 2 * i, 2).toInt(nullptr, 16) / 255.0;
        channels[i] = c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return 0.2126 * channels[0] + 0.7152 * channels[1] + 0.0722 * channels[2];
}

double Contrast(const QString &a, const QString &b) {
    const double x = Luminance(a), y = Luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

} // namespace

class TestNightPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wrapsTheSameBodyAndLeavesTheDefaultAlone() {
        const QString body =
            QStringLiteral("【條目】<br>甲<br><br>【內容】<br><span class=\"red\">乙</span>");
        QCOMPARE(WrapNightPage(body), NightPageHead() + body + EntryPageTail());
        QVERIFY(NightPageHead().endsWith(QLatin1String("<body>\n")));
        QCOMPARE(EntryPageHead().size(), 648);
        QCOMPARE(WrapPage(body), EntryPageHead() + body + EntryPageTail());
    }

    void everyDefaultClassIsGivenAgain() {
        const Sheet day = ParseSheet(EntryPageHead()), night = ParseSheet(NightPageHead());
        for (const auto &[selector, properties] : day) {
            QVERIFY2(night.count(selector), qPrintable(selector));
            for (const auto &[property, value] : properties)
                QVERIFY2(night.at(selector).count(property),
                         qPrintable(selector + QLatin1Char(' ') + property));
        }
    }

    void everyTextColourIsLegibleOnEveryBackground() {
        const Sheet night = ParseSheet(NightPageHead());
        static const QRegularExpression hex(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        std::map<QString, QString> texts, backgrounds;
        for (const auto &[selector, properties] : night) {
            for (const auto &[property, value] : properties) {
                if (property == QLatin1String("color"))
                    texts[selector] = value;
                else if (property == QLatin1String("background-color"))
                    backgrounds[selector] = value;
                else
                    continue;
                // A named colour would escape the check below.
                QVERIFY2(hex.match(value).hasMatch(), qPrintable(selector + QLatin1String(": ") + value));
            }
        }
        QVERIFY(texts.count(QStringLiteral("html, body")) && backgrounds.count(QStringLiteral("html, body")));
        QCOMPARE(texts.size(), size_t(4));       // the page, .blue, .red, .search
        QCOMPARE(backgrounds.size(), size_t(7)); // the page and the six background classes
        double lowest = 100;
        for (const auto &[text, colour] : texts) {
            QString line = QStringLiteral("%1 %2:").arg(text, -12).arg(colour);
            for (const auto &[background, under] : backgrounds) {
                const double contrast = Contrast(colour, under);
                lowest = std::min(lowest, contrast);
                line += QStringLiteral(" %1 %2").arg(background).arg(contrast, 0, 'f', 2);
                QVERIFY2(contrast >= 4.5,
                         qPrintable(QStringLiteral("%1 on %2: %3").arg(text, background).arg(contrast)));
            }
            qInfo().noquote() << line;
        }
        qInfo() << "lowest contrast" << lowest;
    }
};

QTEST_APPLESS_MAIN(TestNightPage)
#include "tst_nightpage.moc"
