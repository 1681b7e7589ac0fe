// The scan as a map of the notebooks, driven with real double clicks, keys and typing on the window:
// a double click opens the entry placed nearest it (at several zooms; the same program runs again at
// screen scale 2), a double click far from every position changes nothing, the marks at every
// position and the search's hits are painted where the positions are, and capture moves a mark and
// undo moves it back. The notes and the scan are the demo library's, so the positions are its own.
#include "corpus/NotebookStore.h"
#include "display/SearchPane.h"
#include "images/ScanMarks.h"
#include "support/ReaderFixture.h"
#include "support/ScanWindow.h"
#include "tools/DemoLibrary.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/NoteList.h"

#include <QHash>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

#include <cmath>

namespace {

// The first K page with at least three positioned entries, and its notes and scan written out.
struct DemoPageFixture : ReaderFixture {
    DemoPageFixture() {
        const QList<demo::DemoBook> books = demo::BuildBooks();
        QList<QByteArray> notes;
        for (const demo::DemoBook &b : books)
            notes << demo::NotesFileBytes(b);
        writeNotes(notes[0], notes[1], notes[2], notes[3]);
        const demo::DemoBook &k = books[0];
        for (const demo::DemoPage &p : k.pages) {
            int placed = 0;
            for (const demo::DemoEntry &e : p.entries)
                placed += e.x >= 0 ? 1 : 0;
            if (placed >= 3) {
                page = p;
                break;
            }
        }
        if (page.name.isEmpty()) qFatal("no demo page with three positions");
        write(QStringLiteral("Image/K/%1.jpg").arg(page.name),
              demo::EncodeJpeg(demo::DrawScan(page, k.title), 80));
    }
    demo::DemoPage page;
};

// The demo's positioned entries of the page, with the headword's first line as the reader shows it.
struct Placed {
    QString title;
    QPoint pos;
};
QList<Placed> PlacedOn(const demo::DemoPage &page) {
    QList<Placed> out;
    for (const demo::DemoEntry &e : page.entries)
        if (e.x >= 0) out.append({e.headword.join(QStringLiteral("<br>")), QPoint(e.x, e.y)});
    return out;
}

struct MapWindow : ScanWindow {
    using ScanWindow::ScanWindow;
    NoteRef entriesSelected() const {
        for (NoteList *l : w.findChildren<NoteList *>())
            if (l->View() == lbData) return l->Selected();
        return {};
    }
    const NotebookStore &store() const { return *w.findChild<NotebookStore *>(); }
    // A real double click through the window at an overlay point, scrolled into view first.
    void doubleClick(QPoint overlayPoint) {
        box->ensureVisible(overlayPoint.x() - 3, overlayPoint.y(), 60, 60);
        QWindow *window = w.windowHandle();
        QTest::mouseDClick(window, Qt::LeftButton, {},
                           window->mapFromGlobal(overlay->mapToGlobal(overlayPoint)));
        QTest::qWait(qApp->doubleClickInterval() + 50); // the next click is a click of its own
    }
    QPoint at(QPoint natural) const {
        const double z = viewer->ZoomFactor();
        return QPoint(int(natural.x() * z), int(natural.y() * z));
    }
    // The viewport as the screen shows it, in its device pixels.
    QImage grabViewport() const { return box->viewport()->grab().toImage(); }
    // Whether a pixel near `colour` lies on the ring of radius r around an overlay point.
    bool ringAt(const QImage &shot, QPoint overlayPoint, const QColor &colour, int r) const {
        const QPoint centre = box->viewport()->mapFromGlobal(overlay->mapToGlobal(overlayPoint));
        const qreal dpr = shot.devicePixelRatio();
        int found = 0;
        for (int a = 0; a < 360; a += 15) {
            const double rad = a * M_PI / 180.0;
            const QPoint p((centre.x() + r * std::cos(rad)) * dpr, (centre.y() + r * std::sin(rad)) * dpr);
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    const QPoint q = p + QPoint(dx, dy);
                    if (!shot.rect().contains(q)) continue;
                    const QColor c = shot.pixelColor(q);
                    near = qAbs(c.red() - colour.red()) + qAbs(c.green() - colour.green()) +
                               qAbs(c.blue() - colour.blue()) <
                           90;
                }
            found += near ? 1 : 0;
        }
        return found >= 12; // most of the ring (the label may cover part of it)
    }
    QString corner() {
        return child<QLabel>("zoomIndicator")->isVisible() ? child<QLabel>("zoomIndicator")->text()
                                                           : QString();
    }
};

} // namespace

class TestScanMap : public QObject {
    Q_OBJECT
    QStringList errors;
private Q_SLOTS:
    void init() {
        errors.clear();
        SetErrorDisplayForTesting([this](const QString &m) { errors << m; });
    }

    void doubleClickOpensTheNearestEntry_data() {
        QTest::addColumn<float>("zoom");
        QTest::addColumn<bool>("fromScansList");
        QTest::newRow("25 %") << 0.25f << false;
        QTest::newRow("50 %") << 0.5f << false;
        QTest::newRow("100 %") << 1.0f << true;
        QTest::newRow("200 %") << 2.0f << false;
    }
    void doubleClickOpensTheNearestEntry() {
        QFETCH(float, zoom);
        QFETCH(bool, fromScansList);
        DemoPageFixture fx;
        MapWindow win(fx);
        const QString path = QStringLiteral(".\\image\\K\\%1.jpg").arg(fx.page.name);
        if (fromScansList) {
            win.showTab(2);
            win.edImg->setText(fx.page.name);
            QTRY_VERIFY(win.lbImg->model()->rowCount() > 0);
            ClickRow(win.lbImg, 0);
        } else {
            win.viewer->ShowScan(path);
        }
        QVERIFY(!win.viewer->CurrentPath().isEmpty());
        win.viewer->ZoomToFactor(zoom);
        const QList<Placed> placed = PlacedOn(fx.page);
        // A little off each position (a tenth of the radius), in scan pixels: the same at every zoom.
        const int off = int(win.viewer->PickRadius() / 10);
        for (const Placed &p : placed) {
            win.doubleClick(win.at(p.pos + QPoint(off, -off)));
            QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
            const NoteRef ref = win.entriesSelected();
            QVERIFY2(ref.isValid(), qPrintable(p.title));
            // The entry selected and shown is the one stored at that position, with its red marker there.
            QCOMPARE(win.store().Entry(ref).title, p.title);
            QCOMPARE(QPoint(win.store().Entry(ref).x, win.store().Entry(ref).y), p.pos);
            QVERIFY(win.viewer->IsMarkerShown());
            QVERIFY(win.redAt(win.at(p.pos)));
        }
        // Back goes to the entry opened before the last one: the history recorded them.
        QTest::mouseClick(win.box->viewport(), Qt::BackButton, {}, QPoint(20, 20));
        QCOMPARE(win.store().Entry(win.entriesSelected()).title, placed[placed.size() - 2].title);

        // Far from every position (the corner of the page furthest from them): nothing changes, the
        // corner of the pane says so.
        QPoint far;
        double farthest = 0;
        for (const QPoint c :
             {QPoint(40, 40), QPoint(demo::kScanWidth - 40, 40), QPoint(40, demo::kScanHeight - 40),
              QPoint(demo::kScanWidth - 40, demo::kScanHeight - 40)}) {
            double nearest = 1e9;
            for (const Placed &p : placed)
                nearest = std::min(nearest, std::hypot(double(p.pos.x() - c.x()), double(p.pos.y() - c.y())));
            if (nearest > farthest) {
                farthest = nearest;
                far = c;
            }
        }
        QVERIFY(farthest > win.viewer->PickRadius());
        const NoteRef before = win.entriesSelected();
        win.box->ensureVisible(win.at(far).x() - 3, win.at(far).y(), 60, 60);
        const QPoint scroll(win.box->Horz(), win.box->Vert());
        win.doubleClick(win.at(far));
        QCOMPARE(win.entriesSelected(), before);
        QCOMPARE(QPoint(win.box->Horz(), win.box->Vert()), scroll); // neither press moved the scan
        QCOMPARE(win.corner(), QStringLiteral("此處無條目"));
        QVERIFY(errors.isEmpty());
    }

    // With the scan's layout, a double click anywhere in an entry's headword opens it at a small zoom,
    // where the circle around the stored point alone does not reach the fifth character; and the
    // pointer over its writing names it, the marks off.
    void headwordOpensAnywhereInItsRegion() {
        DemoPageFixture fx;
        MapWindow win(fx);
        win.viewer->ShowScan(QStringLiteral(".\\image\\K\\%1.jpg").arg(fx.page.name));
        win.viewer->ZoomToFactor(0.2f);
        QTRY_VERIFY_WITH_TIMEOUT(win.viewer->Marks().HasRegions(), 10000);
        QVERIFY(!win.viewer->MarksShown());
        const int pitch = 92; // the demo writes headwords 92 px large
        int tested = 0;
        for (const Placed &p : PlacedOn(fx.page)) {
            if (demo::PlainText(p.title).remove(QChar(0x3000)).remove(QStringLiteral("<br>")).size() < 5)
                continue;
            const QPoint fifth = p.pos + QPoint(4 * pitch, 0);
            QVERIFY(std::hypot(4.0 * pitch, 0.0) > win.viewer->PickRadius()); // beyond the circle
            win.doubleClick(win.at(fifth));
            QVERIFY(win.corner() != QStringLiteral("此處無條目"));
            QCOMPARE(win.store().Entry(win.entriesSelected()).title, p.title);

            const QPoint over = win.at(fifth + QPoint(-pitch / 2, 0));
            QHelpEvent tip(QEvent::ToolTip, over, win.overlay->mapToGlobal(over));
            QApplication::sendEvent(win.overlay, &tip);
            QTRY_COMPARE(QToolTip::text(),
                         QString(p.title).replace(QStringLiteral("<br>"), QStringLiteral(" ")));
            ++tested;
        }
        QVERIFY(tested > 0);
    }

    void marksShowWhereThePositionsAre() {
        DemoPageFixture fx;
        MapWindow win(fx);
        win.viewer->ShowScan(QStringLiteral(".\\image\\K\\%1.jpg").arg(fx.page.name));
        win.viewer->ZoomToFactor(0.5f);
        const Placed first = PlacedOn(fx.page).first();
        const QPoint mark = win.at(first.pos);
        win.box->ensureVisible(mark.x(), mark.y(), 100, 100);
        QTest::qWait(50);
        QVERIFY(!win.ringAt(win.grabViewport(), mark, ScanMarks::RingColour(), ScanMarks::kRingRadius));
        win.key(Qt::Key_M);
        QVERIFY(win.viewer->MarksShown());
        QVERIFY(win.child<QAction>("showEntryPositions")->isChecked());
        QTest::qWait(50);
        QVERIFY(win.ringAt(win.grabViewport(), mark, ScanMarks::RingColour(), ScanMarks::kRingRadius));
        // The mark follows the zoom.
        win.viewer->ZoomToFactor(2.0f);
        const QPoint zoomed = win.at(first.pos);
        win.box->ensureVisible(zoomed.x(), zoomed.y(), 100, 100);
        QTest::qWait(50);
        QVERIFY(win.ringAt(win.grabViewport(), zoomed, ScanMarks::RingColour(), ScanMarks::kRingRadius));
        // Remembered for the next start.
        win.w.close();
        QVERIFY(fx.read("velmoranote.ini").contains("ShowPositions=1"));
        win.key(Qt::Key_M);
        QVERIFY(!win.viewer->MarksShown());
    }

    // A label stands out from whatever the scan holds under it, plain and hit alike: the contrast of
    // its text with what is around the text, measured on the painted pixels, is at least 4.5 : 1 (bare
    // blue text over black strokes was about 3 : 1, over grey less).
    void labelsReadableOnAnyScan_data() {
        QTest::addColumn<QColor>("scan");
        QTest::addColumn<double>("rate");
        QTest::addColumn<qreal>("density");
        for (const auto &[name, colour] : {std::pair{"black", QColor(Qt::black)},
                                           {"grey", QColor(0x80, 0x80, 0x80)},
                                           {"white", QColor(Qt::white)}})
            for (const double rate : {0.5, 1.0, 2.0})
                for (const qreal density : {1.0, 2.0})
                    QTest::addRow("%s %d%% x%d", name, int(rate * 100), int(density))
                        << colour << rate << density;
    }
    void labelsReadableOnAnyScan() {
        QFETCH(QColor, scan);
        QFETCH(double, rate);
        QFETCH(qreal, density);
        const auto luminance = [](QRgb c) {
            const auto linear = [](int v) {
                const double s = v / 255.0;
                return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
        };
        for (const bool hit : {false, true}) {
            ScanMarks marks;
            marks.SetShowAll(true);
            marks.Set({ScanMark{QPoint(40, 60), QStringLiteral("學而時習之"), hit, {}}});
            QImage image(QSize(400, 300) * density, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(density);
            image.fill(scan);
            {
                QPainter painter(&image);
                marks.Paint(painter, QRect(0, 0, 400, 300), rate);
            }
            // The text's band right of the ring: the most common colour there is what the text lies on.
            const QPointF c(40 * rate, 60 * rate);
            const QRect band = QRectF(c.x() + ScanMarks::kRingRadius + 4, c.y() - 5, 50, 10).toRect();
            QHash<QRgb, int> counts;
            for (int y = band.top() * density; y < band.bottom() * density; ++y)
                for (int x = band.left() * density; x < band.right() * density; ++x)
                    ++counts[image.pixel(x, y)];
            QRgb ground = 0;
            for (auto it = counts.begin(); it != counts.end(); ++it)
                if (it.value() > counts.value(ground)) ground = it.key();
            double best = 1;
            for (auto it = counts.begin(); it != counts.end(); ++it) {
                const double a = luminance(it.key()) + 0.05, b = luminance(ground) + 0.05;
                best = qMax(best, qMax(a, b) / qMin(a, b));
            }
            QVERIFY2(best >= 4.5, qPrintable(QString("%1 label: contrast %2 : 1 on %3")
                                                 .arg(hit ? "hit" : "plain")
                                                 .arg(best, 0, 'f', 2)
                                                 .arg(QColor(ground).name())));
        }
    }

    void hitMarksFollowTheQuery() {
        DemoPageFixture fx;
        MapWindow win(fx);
        win.viewer->ShowScan(QStringLiteral(".\\image\\K\\%1.jpg").arg(fx.page.name));
        win.viewer->ZoomToFactor(0.5f);
        const QList<Placed> placed = PlacedOn(fx.page);
        const Placed target = placed[1];
        win.showTab(1);
        auto *query = win.w.findChild<SearchPane *>()->findChild<QLineEdit *>();
        QVERIFY(query);
        query->setFocus();
        // Typed as an input method commits Chinese text, one character at a time.
        for (const QChar c : target.title.section(QStringLiteral("<br>"), 0, 0).trimmed()) {
            QInputMethodEvent typed;
            typed.setCommitString(QString(c));
            QApplication::sendEvent(query, &typed);
        }
        QVERIFY(win.viewer->Marks().HitCount() >= 1);
        QCOMPARE(win.viewer->CornerNote(), QStringLiteral("本頁 %1 條").arg(win.viewer->Marks().HitCount()));
        const QPoint mark = win.at(target.pos);
        win.box->ensureVisible(mark.x(), mark.y(), 100, 100);
        QTest::qWait(50);
        QVERIFY(win.ringAt(win.grabViewport(), mark, ScanMarks::HitColour(), ScanMarks::kRingRadius + 1));
        // A query that finds nothing on this page: the hit marks go, the corner note too.
        query->selectAll();
        QTest::keyClicks(query, QStringLiteral("zzzz"));
        QCOMPARE(win.viewer->Marks().HitCount(), 0);
        QVERIFY(win.viewer->CornerNote().isEmpty());
        QTest::qWait(50);
        QVERIFY(!win.ringAt(win.grabViewport(), mark, ScanMarks::HitColour(), ScanMarks::kRingRadius + 1));
    }

    void captureMovesTheMark() {
        DemoPageFixture fx;
        MapWindow win(fx);
        win.viewer->ShowScan(QStringLiteral(".\\image\\K\\%1.jpg").arg(fx.page.name));
        win.viewer->ZoomToFactor(0.5f);
        win.key(Qt::Key_M);
        win.startRecording();
        const Placed first = PlacedOn(fx.page).first();
        // A double click still opens entries while recording; the right click records into it.
        win.doubleClick(win.at(first.pos));
        const NoteRef ref = win.entriesSelected();
        QVERIFY(ref.isValid());
        const QPoint moved = first.pos + QPoint(300, 200);
        win.rightClick(win.at(moved));
        const auto posOf = [&](NoteRef r) { return QPoint(win.store().Entry(r).x, win.store().Entry(r).y); };
        QTRY_VERIFY((posOf(ref) - moved).manhattanLength() <= 4); // the click's truncation at 50 %
        const auto markOf = [&] {
            for (const ScanMark &m : win.viewer->Marks().Marks())
                if (m.label == QString(first.title).replace(QStringLiteral("<br>"), QStringLiteral(" ")))
                    return m.pos;
            return QPoint(-1, -1);
        };
        QCOMPARE(markOf(), posOf(ref));
        // Capture stepped on to the next entry: bring the moved mark back into view.
        win.box->ensureVisible(win.at(posOf(ref)).x(), win.at(posOf(ref)).y(), 150, 150);
        QTest::qWait(50);
        QVERIFY(win.ringAt(win.grabViewport(), win.at(posOf(ref)), ScanMarks::RingColour(),
                           ScanMarks::kRingRadius));
        win.key(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(posOf(ref), first.pos);
        QCOMPARE(markOf(), first.pos);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    }
};

QTEST_MAIN(TestScanMap)
#include "tst_scanmap.moc"
