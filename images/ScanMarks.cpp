#include "images/ScanMarks.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace {
// The centre of a mark in overlay coordinates: the same arithmetic as the red marker's centre.
QPointF Centre(QPoint pos, double rate) { return QPointF(pos.x() * rate, pos.y() * rate); }

QFont LabelFont() {
    QFont font;
    font.setPixelSize(11);
    return font;
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
    hits_ = 0;
    for (const ScanMark &m : marks_)
        hits_ += m.hit ? 1 : 0;
}

void ScanMarks::Paint(QPainter &painter, const QRect &exposed, double rate) const {
    if (IsEmpty())
        return;
    const bool labels = rate >= kLabelZoom;
    const int r = kRingRadius;
    // A mark reaches r + 2 around its centre, its label kLabelRoom to the right.
    const QRectF reach = QRectF(exposed).adjusted(-(labels ? kLabelRoom : 0) - r - 2, -r - 8, r + 2, r + 8);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    const QPen ring(RingColour(), 2), hit(HitColour(), 3);
    const QColor hitFill(HitColour().red(), HitColour().green(), HitColour().blue(), 70);
    const QFont font = LabelFont();
    painter.setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    for (const ScanMark &m : marks_) {
        if (!Drawn(m))
            continue;
        const QPointF c = Centre(m.pos, rate);
        if (!reach.contains(c))
            continue;
        if (m.hit) {
            painter.setPen(hit);
            painter.setBrush(hitFill);
            painter.drawEllipse(c, r + 1, r + 1);
            painter.setBrush(Qt::NoBrush);
        } else {
            painter.setPen(ring);
            painter.drawEllipse(c, r, r);
        }
        if (labels) {
            painter.setPen(m.hit ? HitColour().darker(130) : RingColour());
            painter.drawText(QPointF(c.x() + r + 3, c.y() + ascent / 2.0 - 1), m.label);
        }
    }
    painter.restore();
}

int ScanMarks::MarkAt(QPoint overlayPoint, double rate) const {
    int best = -1;
    double bestDistance = kRingRadius + 3;
    for (size_t i = 0; i < marks_.size(); ++i) {
        if (!Drawn(marks_[i]))
            continue;
        const QPointF c = Centre(marks_[i].pos, rate);
        const double d = std::hypot(c.x() - overlayPoint.x(), c.y() - overlayPoint.y());
        if (d <= bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}
