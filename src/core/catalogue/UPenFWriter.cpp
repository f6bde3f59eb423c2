#include "catalogue/UPenFWriter.h"

#include "app/AnsiString.h"
#include "app/Bytes.h"
#include "app/Errors.h"
#include "catalogue/UPenF.h"

namespace penfwriter {

namespace {

[[noreturn]] void refuse(const QString &what)
{
    throw EKiekjesError(what);
}

QString formatLabel(const TPenFFile &catalogue, int index)
{
    return QStringLiteral("formaat %1 (\"%2\")").arg(index + 1).arg(catalogue.FormatName(index));
}

void checkText(const QString &owner, const QString &field, const QString &text, int capacity)
{
    const QString problem = TextProblem(text, capacity);
    if (!problem.isEmpty())
        refuse(QStringLiteral("%1: %2 %3").arg(owner, field, problem));
}

void checkCatalogue(const TPenFFile &catalogue, int version)
{
    if (version < 0 || version > 2)
        refuse(QStringLiteral("bestandsversie %1 bestaat niet (0, 1 of 2)").arg(version));
    if (version < 2 && catalogue.LocationCount() > 0)
        refuse(QStringLiteral("bestandsversie %1 kan geen afhaallocaties bevatten").arg(version));
    if (catalogue.LocationCount() > 255)
        refuse(QStringLiteral("%1 afhaallocaties; het bestand kan er hoogstens 255 bevatten")
                   .arg(catalogue.LocationCount()));
    for (int i = 0; i < catalogue.LocationCount(); ++i) {
        const TAfhaallocatie &l = catalogue.Location(i);
        const QString owner = QStringLiteral("afhaallocatie %1 (\"%2\")").arg(i + 1).arg(l.Naam.text());
        checkText(owner, QStringLiteral("host"), l.Host, 100);
        checkText(owner, QStringLiteral("naam"), l.Naam, 255);
        checkText(owner, QStringLiteral("tekst 1"), l.Tekst1, 255);
        checkText(owner, QStringLiteral("tekst 2"), l.Tekst2, 255);
        checkText(owner, QStringLiteral("tekst 3"), l.Tekst3, 25);
        checkText(owner, QStringLiteral("tekst 4"), l.Tekst4, 255);
    }

    int64_t records = 1 + catalogue.LocationCount();
    TFormatNameIndex names;
    for (int i = 0; i < catalogue.FormatCount(); ++i) {
        const TFormaat &f = catalogue.Format(i);
        const QString owner = formatLabel(catalogue, i);
        checkText(owner, QStringLiteral("naam"), f.Naam, 255);
        checkText(owner, QStringLiteral("omschrijving"), f.Omschrijving, 255);
        if (names.find(f.Naam) >= 0)
            refuse(QStringLiteral("%1: de naam komt al eerder voor (hoofdletters tellen niet)").arg(owner));
        if (f.Prijzen.size() > 65535 || f.SnelPrijzen.size() > 65535)
            refuse(QStringLiteral("%1: meer dan 65535 prijstreden").arg(owner));
        if (version == 0 && f.HasGlansMatKeuze())
            refuse(QStringLiteral("%1: bestandsversie 0 kan de keuze glans/mat niet bevatten").arg(owner));
        if (version < 2) {
            if (!f.SnelPrijzen.isEmpty())
                refuse(QStringLiteral("%1: bestandsversie %2 kan geen snelservicetreden bevatten").arg(owner).arg(version));
            for (uint8_t b : f.Beschikbaar) {
                if (b != 0)
                    refuse(QStringLiteral("%1: bestandsversie %2 kan geen snelservicelocaties bevatten").arg(owner).arg(version));
            }
        }
        names.add(f.Naam, i);
        records += 1 + f.Prijzen.size() + f.SnelPrijzen.size();
    }
    // The reader holds the record count in 16 bits.
    if (records > 65535)
        refuse(QStringLiteral("%1 records; het bestand kan er hoogstens 65535 bevatten").arg(records));
}

void putTier(unsigned char *record, const TPrijsTrede &tier)
{
    bytes::putU16LE(record + penf::TierAantal, tier.Aantal);
    bytes::putI64LE(record + penf::TierPrijs, tier.Prijs.raw());
}

} // namespace

QString TextProblem(const QString &text, int capacity)
{
    bool lossless = true;
    const QByteArray encoded = ansi::encode(text, &lossless);
    if (!lossless)
        return QStringLiteral("bevat tekens buiten Windows-1252");
    if (encoded.size() > capacity)
        return QStringLiteral("is langer dan %1 bytes").arg(capacity);
    return QString();
}

QByteArray Write(const TPenFFile &catalogue, int fileVersion)
{
    checkCatalogue(catalogue, fileVersion);
    const int size = penf::RecordSize(fileVersion);
    QByteArray out;
    auto newRecord = [&out, size]() {
        out.append(QByteArray(size, '\0'));
        return bytes::u(out.data() + out.size() - size);
    };

    unsigned char *h = newRecord();
    bytes::putF64LE(h + penf::HdrVersiedatum, catalogue.Versiedatum());
    bytes::putU8(h + penf::HdrVersienummer, catalogue.Versienummer());
    bytes::putI32LE(h + penf::HdrStandaardFormaat, catalogue.StandaardFormaat());
    if (fileVersion >= 1) {
        const char *id = fileVersion == 2 ? penf::IdentifierV2 : penf::IdentifierV1;
        ansi::writeShort(h + penf::IdentifierOffset, penf::IdentifierCapacity, QString::fromLatin1(id));
    }
    if (fileVersion == 2)
        bytes::putU8(h + penf::HdrLocationCount, uint8_t(catalogue.LocationCount()));

    for (int i = 0; i < catalogue.LocationCount(); ++i) {
        const TAfhaallocatie &l = catalogue.Location(i);
        unsigned char *r = newRecord();
        ansi::writeShort(r + penf::LocHost, 100, l.Host);
        ansi::writeShort(r + penf::LocNaam, 255, l.Naam);
        ansi::writeShort(r + penf::LocTekst1, 255, l.Tekst1);
        ansi::writeShort(r + penf::LocTekst2, 255, l.Tekst2);
        ansi::writeShort(r + penf::LocTekst3, 25, l.Tekst3);
        ansi::writeShort(r + penf::LocTekst4, 255, l.Tekst4);
    }

    for (int i = 0; i < catalogue.FormatCount(); ++i) {
        const TFormaat &f = catalogue.Format(i);
        unsigned char *r = newRecord();
        ansi::writeShort(r + penf::FmtNaam, 255, f.Naam);
        ansi::writeShort(r + penf::FmtOmschrijving, 255, f.Omschrijving);
        bytes::putF64LE(r + penf::FmtBreedte, f.Breedte);
        bytes::putF64LE(r + penf::FmtLengte, f.Lengte);
        const auto n = uint16_t(f.Prijzen.size());
        if (fileVersion == 0) {
            bytes::putU16LE(r + penf::FmtTierCountV0, n);
        } else {
            bytes::putU8(r + penf::FmtGlansMatKeuze, f.HasGlansMatKeuze() ? 1 : 0);
            bytes::putU16LE(r + penf::FmtTierCount, n);
        }
        if (fileVersion == 2) {
            bytes::putU16LE(r + penf::FmtFastTierCount, uint16_t(f.SnelPrijzen.size()));
            for (int k = 0; k < TFormaat::MaxLocations; ++k)
                r[penf::FmtBeschikbaar + k] = f.Beschikbaar[size_t(k)] ? 1 : 0;
        }
        for (const TPrijsTrede &tier : f.Prijzen)
            putTier(newRecord(), tier);
        for (const TPrijsTrede &tier : f.SnelPrijzen)
            putTier(newRecord(), tier);
    }
    return out;
}

} // namespace penfwriter
