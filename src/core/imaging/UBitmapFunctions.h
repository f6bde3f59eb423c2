#pragma once
// Pixel routines on 24-bit pictures (rows of blue, green, red): grey copy, colour shift, the
// finish preview and the quarter turn. Pictures of other formats are worked on as 24-bit
// copies and given back in their own format. Any row width is handled.

#include "app/Definities.h"

#include <QImage>
#include <cstdint>
#include <functional>

// The destination becomes a grey copy of the source: each pixel takes the mean
// (blue + green + red) div 3 in all three channels, except that a pixel with mean 0 stays as
// it is.
void MakeGrayscale(const QImage &source, QImage &destination);

// The destination becomes the source with each channel shifted by its delta (limited to
// 0..255). When any delta lies outside -100..100 nothing happens, the destination included.
void AdjustRGB(const QImage &source, QImage &destination, int redDelta, int greenDelta, int blueDelta);

// value + delta limited to 0..255.
inline uint8_t ClampColor(uint8_t value, int delta)
{
    const int v = int(value) + delta;
    return uint8_t(v > 255 ? 255 : (v < 0 ? 0 : v));
}

// The sepia shift of the finish preview, applied to a grey picture.
constexpr int SepiaRedDelta = 37;
constexpr int SepiaGreenDelta = 0;
constexpr int SepiaBlueDelta = -10;

// Paints the finish preview on the shown picture: 0 "Kleur" (or none chosen, -1) nothing,
// 1 "Zwart/Wit" grey, 2 "Bruintoon" grey then the sepia shift.
void ApplyFinishPreview(QImage &shown, int afwerking);

// Receives the share of rows done, 0..100; the first call gives 0, the last 100.
using TProgress = std::function<void(int)>;

// The destination becomes the source turned a quarter turn, clockwise or counter-clockwise.
// An empty source leaves everything as it was. Copies tiles of the picture, in bands of
// source rows shared out among threads for a large picture; the progress follows the source
// rows done and is reported on the calling thread only.
void RotateBitmap90(const QImage &source, QImage &destination, bool clockwise, const TProgress &progress = {});
