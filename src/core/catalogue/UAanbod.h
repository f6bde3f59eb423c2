#pragma once
// What the catalogue offers under a service and pickup location: the formats, the locations,
// and the format information rows. Pure functions of the catalogue, used by the
// service-and-location choice, the re-check of an order and the format information window.

#include <QString>
#include <QStringList>

class TPenFFile;

namespace aanbod {

// The service names of the service lists: "Standaardservice", and "Snelservice" second when
// the catalogue has fast-service prices. The index is the service index (0 standard, 1 fast).
QStringList ServiceNames(const TPenFFile &catalogue);

// The start-up location list: every location of the catalogue, or the single entry
// "Veldmeer" when the catalogue has none.
QStringList StartupLocations(const TPenFFile &catalogue);

// The formats on offer, in catalogue order. Standard service: every format. Fast service:
// the formats with fast-service tiers that are available at the location (found by exact
// name); a location the catalogue does not list makes nothing available.
QStringList FormatsOnOffer(const TPenFFile &catalogue, bool fastService, const QString &location);

// True when the list holds the format name, letter case ignored.
bool IsOnOffer(const QStringList &formats, const QString &format);

// The locations on offer: every location for the standard service, those with fast-service
// formats for the fast service.
QStringList LocationsOnOffer(const TPenFFile &catalogue, bool fastService);

// A rebuilt location list and the location chosen in it: the current one when the list
// still holds it (letter case ignored; the list's spelling is taken), else the first of the
// list (empty for an empty list).
struct TLocationChoice {
    QStringList locations;
    QString chosen;
    bool kept = false;
};
TLocationChoice RebuildLocations(const TPenFFile &catalogue, bool fastService, const QString &current);

// One row of the format information window.
struct TFormatInfo {
    QString naam;
    QString omschrijving;
    QString prijs; // price of one print with "%m", or "Onbekend"
    bool operator==(const TFormatInfo &) const = default;
};
QList<TFormatInfo> FormatInfoRows(const TPenFFile &catalogue, bool fastService, const QString &location);
// The window's caption for the service.
QString FormatInfoCaption(bool fastService);

} // namespace aanbod
