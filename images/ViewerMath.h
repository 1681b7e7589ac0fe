#pragma once
// The arithmetic of the page image viewer: sizes under the zoom factor, scroll targets, the marker
// rectangle and captured positions. Every value that becomes a pixel is truncated toward zero; sizes
// saturate at 0 and at kMaxSide, so no zoom sequence can overflow, and NaN or infinity never reach
// an int. The zoom factor is a 32-bit float; arithmetic with it is done in double.

#include <QRect>
#include <QSize>

namespace viewer {

// The largest width or height a widget can take.
constexpr int kMaxSide = 16777215;

// trunc(v) as a size: 0 for NaN or negatives, kMaxSide above it.
int TruncSize(double v);
// trunc(v) as a coordinate or scroll position: saturates at the int range, 0 for NaN.
int TruncCoord(double v);
// The factor to divide by: rates of 0, below 0, NaN or infinite count as 1.0.
double DivisorRate(float rate);

// The zoom factor stays between 5 % and 800 %: below, a page shrinks to a few pixels that neither the
// menu nor the wheel can reach again; above, one page takes gigabytes to paint.
constexpr float kMinZoom = 0.05f;
constexpr float kMaxZoom = 8.0f;
// A factor read back from the settings: unusable ones (zero, negative, not a number) read as 1,
// others are brought within the bounds.
float StoredZoom(double rate);

// Control size right after loading a picture of natural size `natural` at `rate`.
QSize SizeAfterLoad(QSize natural, float rate);

// One Ctrl+wheel step: the factor (1.1 away from the user, 0.9 otherwise, delta 0 included), the new
// rate and a control size scaled by the factor.
double WheelFactor(int wheelDelta);
float RateAfterWheel(float rate, double factor);
QSize ScaleSize(QSize size, double factor);

// One zoom-menu step from oldRate to newRate: trunc(newRate * current / oldRate) for each side.
QSize SizeAfterMenu(QSize current, double newRate, float oldRate);
// The percentage of a zoom-menu caption ("25%" gives 25); false when the caption without its last
// character is not an integer.
bool MenuPercent(const QString &caption, int &percent);

// Scroll targets that bring a position one third down and to the middle of the scroll box.
int ScrollTargetVert(int y, float rate, int boxHeight);
int ScrollTargetHorz(int x, float rate, int boxWidth);

// The marker's bounding rectangle: left trunc(x*r - 10) .. right trunc(x*r + 10), right and bottom
// exclusive (QRect::right() is therefore one less).
QRect MarkerRect(int x, int y, float rate);

// A click at overlay point (X, Y) as a position in natural-size pixels.
int CapturedCoord(int overlayCoord, float rate);

} // namespace viewer
