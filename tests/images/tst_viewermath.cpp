// The viewer arithmetic: sizes under zoom, scroll targets, the marker rectangle, captured positions,
// and that no sequence of steps or stored rate can overflow or divide by nothing.
#include "images/ViewerMath.h"

#include <QtTest>

#include <cfloat>
#include <cmath>
#include <limits>

using namespace viewer;

class TestViewerMath : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sizeAfterLoad_data();
    void sizeAfterLoad();
    void wheelThenMenuLosesAPixel();
    void wheelStepsTruncateEachTime();
    void wheelFactor();
    void menuCaptions_data();
    void menuCaptions();
    void markerAndScrollTargets_data();
    void markerAndScrollTargets();
    void capture_data();
    void capture();
    void unusableRates();
    void thousandWheelStepsStayInRange();
};

void TestViewerMath::sizeAfterLoad_data() {
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<float>("rate");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("1.0") << QSize(1000, 1500) << 1.0f << QSize(1000, 1500);
    QTest::newRow("1.5") << QSize(1000, 1500) << 1.5f << QSize(1500, 2250);
    QTest::newRow("0.25 truncates") << QSize(1001, 1503) << 0.25f << QSize(250, 375);
    QTest::newRow("float 1.1 truncates") << QSize(1000, 1500) << 1.1f << QSize(1100, 1650);
    QTest::newRow("huge rate saturates") << QSize(2480, 3508) << 1e30f << QSize(kMaxSide, kMaxSide);
    QTest::newRow("negative rate gives 0") << QSize(1000, 1500) << -2.0f << QSize(0, 0);
    QTest::newRow("NaN rate gives 0")
        << QSize(1000, 1500) << std::numeric_limits<float>::quiet_NaN() << QSize(0, 0);
}

void TestViewerMath::sizeAfterLoad() {
    QFETCH(QSize, natural);
    QFETCH(float, rate);
    QFETCH(QSize, expected);
    QCOMPARE(SizeAfterLoad(natural, rate), expected);
}

void TestViewerMath::wheelThenMenuLosesAPixel() {
    // One step up from 1000 x 1500 at 1.0, then "100%": the float rate 1.10000002 makes it 999 x 1499.
    float rate = 1.0f;
    QSize size(1000, 1500);
    const double f = WheelFactor(120);
    rate = RateAfterWheel(rate, f);
    size = ScaleSize(size, f);
    QCOMPARE(rate, 1.1f);
    QVERIFY(double(rate) > 1.1);
    QCOMPARE(size, QSize(1100, 1650));
    int percent = 0;
    QVERIFY(MenuPercent(QStringLiteral("100%"), percent));
    QCOMPARE(SizeAfterMenu(size, percent / 100.0, rate), QSize(999, 1499));
}

void TestViewerMath::wheelStepsTruncateEachTime() {
    float rate = 1.0f;
    int width = 1001;
    QList<int> widths;
    for (int delta : {120, 120, 120, -120, -120, -120}) {
        const double f = WheelFactor(delta);
        rate = RateAfterWheel(rate, f);
        width = ScaleSize(QSize(width, 1), f).width();
        widths << width;
    }
    QCOMPARE(widths, (QList<int>{1101, 1211, 1332, 1198, 1078, 970}));
    // The rate went the same way, but scaling the natural size by it would give 971.
    QVERIFY(qAbs(double(rate) - 0.970299) < 1e-6);
    QCOMPARE(SizeAfterLoad(QSize(1001, 1), rate).width(), 971);
}

void TestViewerMath::wheelFactor() {
    QCOMPARE(WheelFactor(120), 1.1);
    QCOMPARE(WheelFactor(1), 1.1);
    QCOMPARE(WheelFactor(0), 0.9); // no distance counts as towards the user
    QCOMPARE(WheelFactor(-120), 0.9);
}

void TestViewerMath::menuCaptions_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("percent");
    QTest::newRow("25%") << "25%" << true << 25;
    QTest::newRow("200%") << "200%" << true << 200;
    QTest::newRow("no number") << "x%" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
}

void TestViewerMath::menuCaptions() {
    QFETCH(QString, caption);
    QFETCH(bool, ok);
    QFETCH(int, percent);
    int got = -1;
    QCOMPARE(MenuPercent(caption, got), ok);
    if (ok) QCOMPARE(got, percent);
}

void TestViewerMath::markerAndScrollTargets_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("vert");
    QTest::addColumn<int>("horz");
    QTest::addColumn<QRect>("marker"); // left, top, right, bottom with right and bottom exclusive
    const auto r = [](int l, int t, int rr, int b) { return QRect(l, t, rr - l, b - t); };
    QTest::newRow("400,300 at 1.5") << 400 << 300 << 1.5f << 220 << 366 << r(590, 440, 610, 460);
    QTest::newRow("5,5 at 1.0 reaches out of the page")
        << 5 << 5 << 1.0f << -225 << -229 << r(-5, -5, 15, 15);
    // 7.5 - 10 = -2.5 truncates toward zero, not down.
    QTest::newRow("5,5 at 1.5 truncates toward zero") << 5 << 5 << 1.5f << -222 << -226 << r(-2, -2, 17, 17);
    QTest::newRow("far out saturates") << 2000000000 << 2000000000 << 1000.0f << INT_MAX << INT_MAX
                                       << QRect(QPoint(INT_MAX, INT_MAX), QPoint(INT_MAX - 1, INT_MAX - 1));
}

void TestViewerMath::markerAndScrollTargets() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(float, rate);
    QFETCH(int, vert);
    QFETCH(int, horz);
    QFETCH(QRect, marker);
    QCOMPARE(ScrollTargetVert(y, rate, 692), vert);
    QCOMPARE(ScrollTargetHorz(x, rate, 469), horz);
    QCOMPARE(MarkerRect(x, y, rate), marker);
}

void TestViewerMath::capture_data() {
    QTest::addColumn<int>("overlay");
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("stored");
    QTest::newRow("601 at 1.5") << 601 << 1.5f << 400;
    QTest::newRow("452 at 1.5") << 452 << 1.5f << 301;
    QTest::newRow("below the rate gives 0") << 1 << 1.5f << 0;
    QTest::newRow("left of the page truncates toward zero") << -1 << 1.5f << 0;
    QTest::newRow("rate 0 divides by 1") << 601 << 0.0f << 601;
    QTest::newRow("negative rate divides by 1") << 601 << -1.5f << 601;
    QTest::newRow("infinite rate divides by 1") << 601 << std::numeric_limits<float>::infinity() << 601;
    QTest::newRow("tiny rate saturates") << 1000 << 1e-30f << INT_MAX;
}

void TestViewerMath::capture() {
    QFETCH(int, overlay);
    QFETCH(float, rate);
    QFETCH(int, stored);
    QCOMPARE(CapturedCoord(overlay, rate), stored);
}

void TestViewerMath::unusableRates() {
    // A stored rate of 0, below 0 or not a number must not turn the menu's division into garbage.
    for (float bad :
         {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        QCOMPARE(SizeAfterMenu(QSize(1000, 1500), 0.5, bad), QSize(500, 750));
    QCOMPARE(SizeAfterMenu(QSize(kMaxSide, kMaxSide), 2.0, 1.0f), QSize(kMaxSide, kMaxSide));
    QCOMPARE(RateAfterWheel(FLT_MAX, 1.1), FLT_MAX);
    QCOMPARE(RateAfterWheel(std::numeric_limits<float>::quiet_NaN(), 1.1), 1.0f);
}

void TestViewerMath::thousandWheelStepsStayInRange() {
    float rate = 1.0f;
    QSize size(2480, 3508);
    for (int direction : {120, -120, 120}) {
        for (int i = 0; i < 1000; ++i) {
            const double f = WheelFactor(direction);
            rate = RateAfterWheel(rate, f);
            size = ScaleSize(size, f);
            QVERIFY(std::isfinite(rate));
            QVERIFY(size.width() >= 0 && size.width() <= kMaxSide);
            QVERIFY(size.height() >= 0 && size.height() <= kMaxSide);
            QVERIFY(CapturedCoord(1000, rate) >= 0);
            MarkerRect(400, 300, rate);
        }
    }
    // Up 1000 steps saturates, down 1000 reaches 0; sizes of 0 stay 0 until the next load.
    QCOMPARE(size, QSize(0, 0));
    QCOMPARE(SizeAfterLoad(QSize(2480, 3508), 1.0f), QSize(2480, 3508));
}

QTEST_APPLESS_MAIN(TestViewerMath)
#include "tst_viewermath.moc"
