#pragma once
// Writes JPEG files for tests and benchmarks with libjpeg's encoder, in the variants a photo
// may come in: colour, greyscale, CMYK or YCCK, baseline or progressive, any subsampling.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>

enum class TJpegKind { Colour, Grey, Cmyk, Ycck };

struct TJpegWriteOptions {
    TJpegKind kind = TJpegKind::Colour;
    bool progressive = false;
    bool arithmetic = false;
    int quality = 90;
    int lumaH = 2;          // sampling of the first component (chroma stays 1x1)
    int lumaV = 2;
    int restartRows = 0;    // restart marker every that many MCU rows; 0 none
};

// Encodes a 24-bit picture (any format is converted first). CMYK and YCCK are written the way
// photo programs write them: inverted, with an Adobe marker, here with no black ink so that
// the colours come back as they went in.
QByteArray WriteJpeg(const QImage &picture, const TJpegWriteOptions &options = {});

// A picture with the texture of a photo: smooth gradients and fine noise, so that the
// entropy-coded data is about as large as a camera's. Same seed, same picture.
QImage PhotoLikePicture(int width, int height, uint32_t seed = 1);

// A picture of one colour (blue, green, red bytes).
QImage SolidPicture(int width, int height, uint8_t blue, uint8_t green, uint8_t red);

bool WriteFile(const QString &fileName, const QByteArray &bytes);
