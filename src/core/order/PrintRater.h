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

class IPrintRater {
public:
    virtual ~IPrintRater() = default;
    // The format's dimensions, or false when the catalogue has no format of that name
    // (names compared ignoring case).
    virtual bool FindFormat(const QString &name, TFormatDims &dims) const = 0;
    // Rates the photo for a print of the given sides (lengte 0 for a dynamic length).
    virtual TRating Rate(const QString &path, double lengte, double breedte) = 0;
    // The message text of a rating error code.
    virtual QString ErrorText(int code) const = 0;
};

// Lengte of an item before its rating: the format's long side when it is fixed, else 0.
inline double ItemLengte(const TFormatDims &dims) { return dims.Lengte >= 1.0 ? dims.Lengte : 0.0; }
