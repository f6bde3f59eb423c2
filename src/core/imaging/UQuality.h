#pragma once
// The print-quality rating: how many pixels per inch a photo gives when it fills a print
// format, as a level 0 "Uitstekend" .. 4 "Slecht", with the module's last-error code.

#include "app/Definities.h"
#include "imaging/JpegDecoder.h"

#include <QString>
#include <cstdint>

// Image error codes and their texts.
enum : uint16_t {
    QualityErrorNone = 0,
    QualityErrorFileMissing = 1,     // "Bestand bestaat niet"
    QualityErrorWidth = 2,           // "Breedte is 0 of kleiner"
    QualityErrorInvalidPicture = 3,  // "Ongeldige afbeelding"
    QualityErrorInvalidOperation = 4,// "Ongeldige bewerking op een afbeelding"
    QualityErrorUnknown = 5,         // "Onbekende fout"
};
constexpr int QualityErrorCount = 6;

// Rates the photo `fileName` for a print whose short side is `shortSideCm` and whose long
// side is `longSideCm`. A long side below 1.0 marks a format whose length follows the photo:
// it is then set to the length the photo gives. Errors give level 3 and set the last error.
//
// Reads the photo once, through the decoder at one eighth: the rating needs the photo's pixel
// size, which the header gives, and the outcome of a decode of every byte, which the scaled
// decode gives as well as a full-size one (the same entropy data, the same errors).
TQuality GetPrintQuality(const QString &fileName, double &longSideCm, double shortSideCm);

// Returns the last error code and sets it back to 0. The code is kept per thread, so ratings
// on worker threads do not mix their codes.
uint16_t GetQualityError();

// The text of a code 0..5; any other code raises ERangeError.
QString QualityErrorText(int code);

inline double CmToInch(double cm) { return cm / 2.54; }

// The level for a photo of these pixel sides (short <= long); the dynamic length as above.
TQuality RatePixelSides(int shortPixels, int longPixels, double &longSideCm, double shortSideCm);

// The error code of a decoder error kind: 3, 4 or 5 (0 without error).
uint16_t QualityErrorOfKind(TImageErrorKind kind);

// What adding a photo needs: the proof that the file is a readable JPEG and its rating, from
// one decode. Safe to call from any number of threads at once; touches no shared state.
struct TAddPhotoCheck {
    bool readable = false;       // false: not a valid JPEG (the photo is not added)
    TImageErrorKind kind = TImageErrorKind::None;
    QString message;             // the decoder's description when not readable
    int width = 0;               // full-size pixels
    int height = 0;
    TQuality kwaliteit = 3;
    uint16_t qualityError = QualityErrorNone;  // what GetQualityError would report
    double lengte = 0.0;         // the long side after the rating
};
TAddPhotoCheck CheckAndRatePhoto(const QString &fileName, double longSideCm, double shortSideCm);
