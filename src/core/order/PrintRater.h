#pragma once
// The catalogue lookup and quality rating that the order routines need for a photo, behind
// one small interface: the program plugs in the catalogue and the JPEG rating, tests and
// benchmarks plug in stubs.

#include "app/Definities.h"

#include <QString>

struct TFormatDims {
    double Breedte = 0.0; // short side in cm
    double Lengte = 0.0;  // long side in cm; below 1.0 the length follows the photo
    bool GlansMatKeuze = false;
};

struct TRating {
    TQuality Kwaliteit = QualityUnknown;
    double Lengte = 0.0;  // the long side used (written back for a dynamic length)
    int ErrorCode = 0;    // 0: no error
};

// What adding a photo learns about it in one pass: whether it is a readable JPEG and, when a
// format was given, its rating for that format.
struct TPhotoCheck {
    bool IsJpeg = false;
    TRating Rating;
};

class IPrintRater {
public:
    virtual ~IPrintRater() = default;
    // The format's dimensions, or false when the catalogue has no format of that name
    // (names compared ignoring case).
    virtual bool FindFormat(const QString &name, TFormatDims &dims) const = 0;
    // Rates the photo for a print of the given sides (lengte 0 for a dynamic length).
    virtual TRating Rate(const QString &path, double lengte, double breedte) = 0;
    // Proves the file is a readable JPEG and, when dims is given, rates it for that format
    // (Rating.Lengte starts from ItemLengte(*dims)). Implementations must be safe to call from
    // several threads at once for different files.
    virtual TPhotoCheck CheckPhoto(const QString &path, const TFormatDims *dims) = 0;
    // The message text of a rating error code.
    virtual QString ErrorText(int code) const = 0;
};

struct TOrderItem;
struct TOperationHooks;

// Rates an item's photo for a format the catalogue has, the way every caller does: Lengte
// from the format, the level and the long side from the rating, the error text shown when
// the rating reports one.
void RateItem(TOrderItem &item, const TFormatDims &dims, IPrintRater &rater, const TOperationHooks &hooks);

// Lengte of an item before its rating: the format's long side when it is fixed, else 0.
inline double ItemLengte(const TFormatDims &dims) { return dims.Lengte >= 1.0 ? dims.Lengte : 0.0; }
