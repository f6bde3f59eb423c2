#include "catalogue/UAanbod.h"

#include "app/Money.h"
#include "catalogue/UPenF.h"

namespace aanbod {

namespace {

// The fast service offers a format at a location only when the format has fast-service tiers
// and the catalogue marks it available there.
bool offeredFast(const TFormaat &format, int locationIndex)
{
    return format.FastTierCount() > 0 && format.IsAvailableAt(locationIndex);
}

} // namespace

QStringList ServiceNames(const TPenFFile &catalogue)
{
    QStringList names{QStringLiteral("Standaardservice")};
    if (catalogue.HeeftSnelservice())
        names.append(QStringLiteral("Snelservice"));
    return names;
}

QStringList StartupLocations(const TPenFFile &catalogue)
{
    QStringList names;
    catalogue.FillLocations(names);
    if (names.isEmpty())
        names.append(QStringLiteral("Veldmeer"));
    return names;
}

QStringList FormatsOnOffer(const TPenFFile &catalogue, bool fastService, const QString &location)
{
    const int locationIndex = catalogue.IndexOfLocation(location);
    QStringList names;
    for (int i = 0; i < catalogue.FormatCount(); ++i) {
        const TFormaat &format = catalogue.Format(i);
        if (!fastService || offeredFast(format, locationIndex))
            names.append(format.Naam);
    }
    return names;
}

bool IsOnOffer(const QStringList &formats, const QString &format)
{
    return formats.contains(format, Qt::CaseInsensitive);
}

QStringList LocationsOnOffer(const TPenFFile &catalogue, bool fastService)
{
    QStringList names;
    if (fastService)
        catalogue.FillFastServiceLocations(names);
    else
        catalogue.FillLocations(names);
    return names;
}

TLocationChoice RebuildLocations(const TPenFFile &catalogue, bool fastService, const QString &current)
{
    TLocationChoice choice;
    choice.locations = LocationsOnOffer(catalogue, fastService);
    for (const QString &name : std::as_const(choice.locations)) {
        if (name.compare(current, Qt::CaseInsensitive) == 0) {
            choice.chosen = name;
            choice.kept = true;
            return choice;
        }
    }
    if (!choice.locations.isEmpty())
        choice.chosen = choice.locations.first();
    return choice;
}

QList<TFormatInfo> FormatInfoRows(const TPenFFile &catalogue, bool fastService, const QString &location)
{
    const int locationIndex = catalogue.IndexOfLocation(location);
    QList<TFormatInfo> rows;
    for (int i = 0; i < catalogue.FormatCount(); ++i) {
        const TFormaat &format = catalogue.Format(i);
        QString price;
        if (fastService) {
            if (!offeredFast(format, locationIndex))
                continue;
            price = money::formatMoney(format.FastPrice(1));
        } else if (format.StandardPrice(0) > TCurrency::missing()) {
            price = money::formatMoney(format.StandardPrice(1));
        } else {
            price = QStringLiteral("Onbekend");
        }
        rows.append({format.Naam, format.Omschrijving, price});
    }
    return rows;
}

QString FormatInfoCaption(bool fastService)
{
    return fastService ? QStringLiteral("Informatie over de formaten (Snelservice)")
                       : QStringLiteral("Informatie over de formaten (Budgetservice)");
}

} // namespace aanbod
