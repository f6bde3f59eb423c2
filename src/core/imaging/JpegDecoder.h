#pragma once
// The one JPEG decoder of the program, over libjpeg. Decodes a photo at full size or at one
// eighth (the decoder's scaled decode, each side divided by 8 and rounded up) into a 24-bit
// picture whose rows hold blue, green, red. Greyscale, colour, progressive and CMYK/YCCK
// photos all come out as the same 24-bit picture.
//
// Failures never escape as crashes or C++ exceptions: every call returns a result with one of
// three kinds of error (the kinds the print-quality rating reports). A truncated file is an
// invalid picture; so is a picture of more than MaxPixels pixels, refused before anything is
// allocated for it, and one that needs more than MaxScans scans.

#include <QImage>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>

enum class TDecodeScale { Full, Eighth };
// Default is the decoder's accurate integer DCT (previews); Fast its fast integer DCT.
enum class TDctMethod { Default, Fast };

enum class TImageErrorKind {
    None,
    InvalidPicture,    // the bytes are not a readable JPEG (every decoder error is of this kind)
    InvalidOperation,  // the picture could not be made (no memory for its bitmap)
    Other,             // the file could not be opened or read
};

struct TDecodeOptions {
    TDecodeScale scale = TDecodeScale::Full;
    TDctMethod dct = TDctMethod::Default;
    // False: every row is decoded but none is kept (the check that a file is a readable JPEG).
    bool keepPicture = true;
    // Pictures with more pixels than this (by the size in the header) are refused.
    int64_t maxPixels = 200'000'000;
    // Called with 0..100 while decoding; must not throw.
    std::function<void(int)> progress;
};

struct TDecodeResult {
    TImageErrorKind error = TImageErrorKind::None;
    QString message;      // what went wrong, for the log; empty without error
    int imageWidth = 0;   // the photo's full size from its header (0 when unreadable)
    int imageHeight = 0;
    QImage picture;       // Format_BGR888 at the asked scale; null on error or without keepPicture

    bool ok() const { return error == TImageErrorKind::None; }
};

constexpr int MaxScans = 500;

TDecodeResult DecodeJpegFile(const QString &fileName, const TDecodeOptions &options = {});
TDecodeResult DecodeJpegData(const uint8_t *data, size_t size, const TDecodeOptions &options = {});

// The main window's decode scale for a photo of `grootte` bytes: full size up to and including
// 2,048,000 bytes, one eighth above.
constexpr int64_t FullSizePreviewLimit = 2'048'000;
inline TDecodeScale MainPreviewScale(int64_t grootte)
{
    return grootte <= FullSizePreviewLimit ? TDecodeScale::Full : TDecodeScale::Eighth;
}
