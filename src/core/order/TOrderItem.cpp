#include "TOrderItem.h"

#include "app/AnsiString.h"
#include "app/Bytes.h"

#include <cstring>
#include <utility>

namespace {
// Field offsets of the item record.
constexpr int OffNaam = 0;
constexpr int OffBestand = 256;
constexpr int OffFormaat = 513;
constexpr int OffAfwerking = 769;
constexpr int OffGlans = 770;
constexpr int OffAantal = 772;
constexpr int OffKwaliteit = 774;
constexpr int OffPrijs = 776;
constexpr int OffLengte = 792;
constexpr int OffGrootte = 800;
constexpr int OffReservedFlag = 808;
} // namespace

void TOrderItem::writeRecord(unsigned char *r) const
{
    using namespace bytes;
    std::memset(r, 0, RecordSize);
    ansi::writeShort(r + OffNaam, 255, Naam);
    ansi::writeShort(r + OffBestand, 255, Bestand);
    ansi::writeShort(r + OffFormaat, 255, Formaat);
    putU8(r + OffAfwerking, Afwerking);
    putU8(r + OffGlans, Glans);
    putU16LE(r + OffAantal, Aantal);
    putU8(r + OffKwaliteit, Kwaliteit);
    putI64LE(r + OffPrijs, Prijs.raw());
    putF64LE(r + OffLengte, Lengte);
    putI64LE(r + OffGrootte, Grootte);
    putU8(r + OffReservedFlag, ReservedFlag);
}

QByteArray TOrderItem::toRecord() const
{
    QByteArray b(RecordSize, '\0');
    writeRecord(bytes::u(b.data()));
    return b;
}

TOrderItem TOrderItem::fromRecord(const unsigned char *record, bool withNaam)
{
    return readFields(record, withNaam, true);
}

TOrderItem TOrderItem::readFields(const unsigned char *r, bool withNaam, bool withFormaat)
{
    using namespace bytes;
    TOrderItem it;
    if (withNaam)
        it.Naam = ansi::readShort(r + OffNaam, 255);
    it.Bestand = ansi::readShort(r + OffBestand, 255);
    if (withFormaat)
        it.Formaat = ansi::readShort(r + OffFormaat, 255);
    it.Afwerking = getU8(r + OffAfwerking);
    it.Glans = getU8(r + OffGlans);
    it.Aantal = getU16LE(r + OffAantal);
    it.Kwaliteit = getU8(r + OffKwaliteit);
    it.Prijs = TCurrency::fromRaw(getI64LE(r + OffPrijs));
    it.Lengte = getF64LE(r + OffLengte);
    it.Grootte = getI64LE(r + OffGrootte);
    it.ReservedFlag = getU8(r + OffReservedFlag);
    return it;
}

TOrderItem TOrderItem::fromRecord(const unsigned char *record, bool withNaam, FormatCache &cache)
{
    TOrderItem it = readFields(record, withNaam, false);
    const unsigned char *field = record + OffFormaat;
    const QByteArrayView raw(reinterpret_cast<const char *>(field + 1), std::min<int>(field[0], 255));
    for (int i = 0; i < cache.used; ++i) {
        if (raw == QByteArrayView(cache.raw[i])) {
            it.Formaat = cache.text[i];
            return it;
        }
    }
    const int slot = cache.used < FormatCache::Size ? cache.used++ : std::exchange(cache.next, (cache.next + 1) % FormatCache::Size);
    cache.raw[slot] = raw.toByteArray();
    cache.text[slot] = ansi::decode(raw);
    it.Formaat = cache.text[slot];
    return it;
}

QString OrderItemNaam(const QString &path)
{
    // The part after the last folder separator, without its last extension.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QStringView name = QStringView(path).mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot > 0 ? name.left(dot) : name).toString();
}

QStringList TOrderItem::RowTexts() const
{
    const QString finish = Afwerking < AfwerkingCount ? AfwerkingListText(Afwerking) : QString();
    return {QString::number(Aantal), Formaat, PaperName(isGlans()), finish, QualityName(Kwaliteit),
            money::formatAmount(Prijs)};
}

QStringList OrderColumnCaptions()
{
    return {QStringLiteral("Naam"), QStringLiteral("Aantal"), QStringLiteral("Formaat"), QStringLiteral("G/M"),
            QStringLiteral("Kl/ZW/Se"), QStringLiteral("Kwaliteit"), QStringLiteral("Prijs")};
}
