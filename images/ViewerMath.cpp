#include "images/ViewerMath.h"

#include <QString>

#include <cfloat>
#include <climits>
#include <cmath>

namespace viewer {

int TruncSize(double v) {
    if (!(v > 0)) // NaN and everything not positive
        return 0;
    if (v >= double(kMaxSide)) return kMaxSide;
    return int(v); // the conversion truncates toward zero
}

int TruncCoord(double v) {
    if (std::isnan(v)) return 0;
    if (v >= double(INT_MAX)) return INT_MAX;
    if (v <= double(INT_MIN)) return INT_MIN;
    return int(v);
}

double DivisorRate(float rate) {
    return std::isfinite(rate) && rate > 0 ? double(rate) : 1.0;
}

QSize SizeAfterLoad(QSize natural, float rate) {
    return QSize(TruncSize(double(rate) * natural.width()), TruncSize(double(rate) * natural.height()));
}

float StoredZoom(double rate) {
    if (!(std::isfinite(rate) && rate > 0 && std::isfinite(float(rate)) && float(rate) > 0)) return 1.0f;
    return qBound(kMinZoom, float(rate), kMaxZoom);
}

double WheelFactor(int wheelDelta) {
    return wheelDelta > 0 ? 1.1 : 0.9;
}

float RateAfterWheel(float rate, double factor) {
    const double product = double(rate) * factor;
    // The rate is stored as a float; keep it finite so that it can still be saved and read back.
    if (std::isnan(product)) return 1.0f;
    if (product > double(FLT_MAX)) return FLT_MAX;
    if (product < -double(FLT_MAX)) return -FLT_MAX;
    return float(product);
}

QSize ScaleSize(QSize size, double factor) {
    return QSize(TruncSize(factor * size.width()), TruncSize(factor * size.height()));
}

QSize SizeAfterMenu(QSize current, double newRate, float oldRate) {
    const double old = DivisorRate(oldRate);
    return QSize(TruncSize(newRate * current.width() / old), TruncSize(newRate * current.height() / old));
}

bool MenuPercent(const QString &caption, int &percent) {
    bool ok = false;
    percent = caption.left(caption.size() - 1).toInt(&ok);
    return ok;
}

int ScrollTargetVert(int y, float rate, int boxHeight) {
    return TruncCoord(double(y) * double(rate) - double(boxHeight / 3));
}

int ScrollTargetHorz(int x, float rate, int boxWidth) {
    return TruncCoord(double(x) * double(rate) - double(boxWidth / 2));
}

QRect MarkerRect(int x, int y, float rate) {
    const double r = double(rate);
    const int left = TruncCoord(x * r - 10), top = TruncCoord(y * r - 10);
    const int right = TruncCoord(x * r + 10), bottom = TruncCoord(y * r + 10);
    // QRect's right and bottom are inclusive; the saturated minimum has no pixel before it.
    const auto inclusive = [](int v) { return v == INT_MIN ? v : v - 1; };
    return QRect(QPoint(left, top), QPoint(inclusive(right), inclusive(bottom)));
}

int CapturedCoord(int overlayCoord, float rate) {
    return TruncCoord(double(overlayCoord) / DivisorRate(rate));
}

} // namespace viewer
