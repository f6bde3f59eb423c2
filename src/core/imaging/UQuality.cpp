#include "UQuality.h"

#include "app/Errors.h"

#include <QFileInfo>

namespace {

thread_local uint16_t LastQualityError = QualityErrorNone;

const char *const QualityErrorTexts[QualityErrorCount] = {
    "Geen fouten opgetreden",
    "Bestand bestaat niet",
    "Breedte is 0 of kleiner",
    "Ongeldige afbeelding",
    "Ongeldige bewerking op een afbeelding",
    "Onbekende fout",
};

// The rating's checks before any decoding: 0 when the photo may be decoded.
uint16_t precheck(const QString &fileName, double shortSideCm)
{
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists() || info.isDir())
        return QualityErrorFileMissing;
    if (!(shortSideCm >= 1.0))
        return QualityErrorWidth;
    return QualityErrorNone;
}

// One pass of the decoder over every byte, keeping no pixels.
TDecodeResult decodeOnce(const QString &fileName)
{
    TDecodeOptions options;
    options.scale = TDecodeScale::Eighth;
    options.keepPicture = false;
    return DecodeJpegFile(fileName, options);
}

// The rating of a decode outcome; sets `error`.
TQuality rateDecoded(const TDecodeResult &decoded, double &longSideCm, double shortSideCm, uint16_t &error)
{
    error = QualityErrorOfKind(decoded.error);
    if (error != QualityErrorNone)
        return 3;
    const int w = decoded.imageWidth;
    const int h = decoded.imageHeight;
    return RatePixelSides(w < h ? w : h, w < h ? h : w, longSideCm, shortSideCm);
}

} // namespace

uint16_t QualityErrorOfKind(TImageErrorKind kind)
{
    switch (kind) {
    case TImageErrorKind::None: return QualityErrorNone;
    case TImageErrorKind::InvalidPicture: return QualityErrorInvalidPicture;
    case TImageErrorKind::InvalidOperation: return QualityErrorInvalidOperation;
    case TImageErrorKind::Other: break;
    }
    return QualityErrorUnknown;
}

TQuality RatePixelSides(int shortPixels, int longPixels, double &longSideCm, double shortSideCm)
{
    double d = shortPixels / CmToInch(shortSideCm);
    if (longSideCm < 1.0) {
        longSideCm = shortSideCm * (double(longPixels) / double(shortPixels));
    } else {
        const double e = longPixels / CmToInch(longSideCm);
        if (e < d)
            d = e;
    }
    if (d >= 320) return 0;
    if (d >= 220) return 1;
    if (d >= 128) return 2;
    if (d >= 96) return 3;
    return 4;
}

TQuality GetPrintQuality(const QString &fileName, double &longSideCm, double shortSideCm)
{
    LastQualityError = precheck(fileName, shortSideCm);
    if (LastQualityError != QualityErrorNone)
        return 3;
    uint16_t error = QualityErrorNone;
    const TQuality level = rateDecoded(decodeOnce(fileName), longSideCm, shortSideCm, error);
    LastQualityError = error;
    return level;
}

uint16_t GetQualityError()
{
    const uint16_t code = LastQualityError;
    LastQualityError = QualityErrorNone;
    return code;
}

QString QualityErrorText(int code)
{
    if (code < 0 || code >= QualityErrorCount)
        throw ERangeError();
    return QString::fromLatin1(QualityErrorTexts[code]);
}

TAddPhotoCheck CheckAndRatePhoto(const QString &fileName, double longSideCm, double shortSideCm)
{
    TAddPhotoCheck check;
    check.lengte = longSideCm;
    const TDecodeResult decoded = decodeOnce(fileName);
    check.kind = decoded.error;
    check.message = decoded.message;
    check.readable = decoded.ok();
    if (!check.readable)
        return check;
    check.width = decoded.imageWidth;
    check.height = decoded.imageHeight;
    check.qualityError = precheck(fileName, shortSideCm);
    if (check.qualityError == QualityErrorNone)
        check.kwaliteit = rateDecoded(decoded, check.lengte, shortSideCm, check.qualityError);
    return check;
}
