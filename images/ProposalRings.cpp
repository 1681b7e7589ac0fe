#include "images/ProposalRings.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace {
QFont LabelFont() {
    QFont font;
    font.setPixelSize(15);
    font.setBold(true);
    return font;
}

// Room a label may take to the right of its ring.
constexpr int kLabelRoom = 260;
} // namespace

const QColor &ProposalRings::Colour() {
    static const QColor colour(0x00, 0x8a, 0x3e); // green: apart from the red marker and the blue marks
    return colour;
}

void ProposalRings::Set(std::vector<ProposalRing> rings, int current) {
    rings_ = std::move(rings);
    current_ = 0;
    SetCurrent(current);
}

void ProposalRings::SetCurrent(int index) {
    if (rings_.empty()) return;
    const int n = int(rings_.size());
    current_ = ((index % n) + n) % n; // Tab past the last comes round to the first
}

QRect ProposalRings::Extent(const ProposalRing &ring, double rate) const {
    const QPoint c(int(ring.pos.x() * rate), int(ring.pos.y() * rate));
    const int r = kRadius + 4;
    return QRect(c.x() - r, c.y() - r, 2 * r + kLabelRoom, 2 * r);
}

void ProposalRings::Paint(QPainter &painter, const QRect &exposed, double rate) const {
    if (rings_.empty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFont font = LabelFont();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (int i = 0; i < int(rings_.size()); ++i) {
        if (!showAll_ && i != current_) continue;
        const ProposalRing &ring = rings_[size_t(i)];
        if (!Extent(ring, rate).intersects(exposed)) continue;
        const bool current = i == current_;
        const QPointF c(ring.pos.x() * rate, ring.pos.y() * rate);
        const int r = kRadius;
        // A white halo under the ring keeps it apart from dark strokes and from a dark page alike.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 255, 255, 230), current ? 7 : 5));
        painter.drawEllipse(c, r, r);
        painter.setPen(QPen(Colour(), current ? 4 : 2));
        painter.drawEllipse(c, r, r);
        if (ring.number > 0) {
            const QString number = QString::number(ring.number);
            const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
            painter.setPen(QPen(QColor(255, 255, 255, 230), 1));
            painter.setBrush(Colour());
            painter.drawEllipse(c, r - 4, r - 4);
            painter.setPen(Qt::white);
            painter.drawText(box, Qt::AlignCenter, number);
        }
        if (!current && showAll_) continue; // the others' labels would cover each other on a dense page
        const QString text = ring.label;
        const QRectF backing(c.x() + r + 6, c.y() - metrics.height() / 2.0 - 2,
                             metrics.horizontalAdvance(text) + 8, metrics.height() + 4);
        painter.setPen(QPen(Colour(), 2));
        painter.setBrush(QColor(255, 255, 255, 240));
        painter.drawRect(backing);
        painter.setPen(Colour().darker(130));
        painter.drawText(backing, Qt::AlignCenter, text);
    }
    painter.restore();
}
