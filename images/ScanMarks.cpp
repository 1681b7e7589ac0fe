#include "images/ScanMarks.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace {
// The centre of a mark in overlay coordinates: the same arithmetic as the red marker's centre.
QPointF Centre(QPoint pos, double rate) {
    return QPointF(pos.x() * rate, pos.y() * rate);
}

QFont LabelFont() {
    QFont font;
    font.setPixelSize(13);
    return font;
}

// A label lies on a backing of its own: over the black strokes of a scan, bare coloured text is lost.
const QColor &LabelBacking() {
    static const QColor colour(255, 255, 255, 240);
    return colour;
}

// Room a label may take to the right of its ring: wider labels are cut by the clip of the paint.
constexpr int kLabelRoom = 160;
} // namespace

const QColor &ScanMarks::RingColour() {
    static const QColor colour(0x1f, 0x5f, 0xbf);
    return colour;
}

const QColor &ScanMarks::HitColour() {
    static const QColor colour(0xe0, 0x80, 0x00);
    return colour;
}

void ScanMarks::Set(std::vector<ScanMark> marks) {
    marks_ = std::move(marks);
    regions_.clear();
    positions_.clear();
    labels_.clear();
    hits_ = 0;
    for (const ScanMark &m : marks_)
        hits_ += m.hit ? 1 : 0;
}

const QImage &ScanMarks::Ring(bool hit, qreal density) const {
    QImage &ring = rings_[hit ? 1 : 0];
    if (!ring.isNull() && ring.devicePixelRatio() == density) return ring;
    const int r = kRingRadius, side = 2 * r + 6;
    ring = QImage(QSize(side, side) * density, QImage::Format_ARGB32_Premultiplied);
    ring.setDevicePixelRatio(density);
    ring.fill(Qt::transparent);
    QPainter p(&ring);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c(side / 2.0, side / 2.0);
    if (hit) {
        p.setPen(QPen(HitColour(), 3));
        p.setBrush(QColor(HitColour().red(), HitColour().green(), HitColour().blue(), 70));
        p.drawEllipse(c, r + 1, r + 1);
    } else {
        p.setPen(QPen(RingColour(), 2));
        p.drawEllipse(c, r, r);
    }
    return ring;
}

void ScanMarks::Paint(QPainter &painter, const QRect &exposed, double rate) const {
    if (IsEmpty()) return;
    const bool labels = rate >= kLabelZoom;
    const int r = kRingRadius;
    // A mark reaches r + 2 around its centre, its label kLabelRoom to the right.
    const QRectF reach = QRectF(exposed).adjusted(-(labels ? kLabelRoom : 0) - r - 2, -r - 8, r + 2, r + 8);
    painter.save();
    const qreal density = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QImage &plain = Ring(false, density), &hit = Ring(true, density);
    const double half = (2 * r + 6) / 2.0;
    const QFont font = LabelFont();
    painter.setFont(font);
    const int height = QFontMetrics(font).height();
    if (labels && labels_.size() != marks_.size()) {
        labels_.assign(marks_.size(), QStaticText());
        for (size_t i = 0; i < marks_.size(); ++i) {
            labels_[i].setText(marks_[i].label);
            labels_[i].setTextFormat(Qt::PlainText);
        }
    }
    for (size_t i = 0; i < marks_.size(); ++i) {
        const ScanMark &m = marks_[i];
        if (!Drawn(m)) continue;
        const QPointF c = Centre(m.pos, rate);
        if (!reach.contains(c)) continue;
        painter.drawImage(QPointF(c.x() - half, c.y() - half), m.hit ? hit : plain);
        if (labels) {
            const QColor &colour = m.hit ? HitColour().darker(150) : RingColour();
            const QPointF at(c.x() + r + 3, c.y() - height / 2.0);
            const QRectF backing = QRectF(at, labels_[i].size()).adjusted(-2, -1, 2, 1);
            painter.fillRect(backing, LabelBacking());
            painter.setPen(QPen(colour, 1));
            painter.drawRect(backing);
            painter.drawStaticText(at, labels_[i]);
        }
    }
    painter.restore();
}

int ScanMarks::MarkAt(QPoint overlayPoint, double rate) const {
    int best = -1;
    double bestDistance = kRingRadius + 3;
    for (size_t i = 0; i < marks_.size(); ++i) {
        if (!Drawn(marks_[i])) continue;
        const QPointF c = Centre(marks_[i].pos, rate);
        const double d = std::hypot(c.x() - overlayPoint.x(), c.y() - overlayPoint.y());
        if (d <= bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}

void ScanMarks::SetRegions(std::vector<WrittenRegion> regions) {
    if (regions.size() != marks_.size()) return; // made for other marks
    regions_ = std::move(regions);
    positions_.clear();
    for (const ScanMark &m : marks_)
        positions_.push_back(m.pos);
}

int ScanMarks::RegionAt(QPoint p) const {
    return regions_.empty() ? -1 : ::RegionAt(regions_, positions_, p);
}

NoteRef ScanMarks::EntryAt(QPoint p, double radius) const {
    const int region = RegionAt(p);
    if (region >= 0) return marks_[size_t(region)].ref;
    NoteRef best;
    double bestDistance = radius;
    for (const ScanMark &m : marks_) {
        const double d = std::hypot(double(m.pos.x()) - p.x(), double(m.pos.y()) - p.y());
        if (d < bestDistance || (d == bestDistance && !best.isValid())) {
            bestDistance = d;
            best = m.ref;
        }
    }
    return best;
}
