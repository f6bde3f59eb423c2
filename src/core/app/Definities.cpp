#include "Definities.h"

#include "Errors.h"

const char *const QualityNames[QualityCount] = {
    "Uitstekend", "Goed", "Aanvaardbaar", "Onvoldoende", "Slecht", "Onbekend",
};

QString QualityName(int level)
{
    if (level < 0 || level >= QualityCount)
        throw ERangeError(QStringLiteral("Ongeldig kwaliteitsniveau %1").arg(level));
    return QString::fromLatin1(QualityNames[level]);
}

QString ServiceName(bool snelservice)
{
    return snelservice ? QStringLiteral("Snelservice") : QStringLiteral("Standaardservice");
}

QString FormatInfoCaption(bool snelservice)
{
    return snelservice ? QStringLiteral("Informatie over de formaten (Snelservice)")
                       : QStringLiteral("Informatie over de formaten (Budgetservice)");
}

QString PaperName(bool glans)
{
    return glans ? QStringLiteral("Glans") : QStringLiteral("Mat");
}

namespace {

QString afwerkingText(TAfwerking value, const char *const (&texts)[AfwerkingCount])
{
    if (value >= AfwerkingCount)
        throw ERangeError(QStringLiteral("Ongeldige afwerking %1").arg(value));
    return QString::fromLatin1(texts[value]);
}

// Delphi-style integer conversion of one piece: leading blanks, an optional sign, then
// decimal digits and nothing else.
bool pieceToInt(const QString &piece, int &value)
{
    qsizetype i = 0;
    while (i < piece.size() && piece[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < piece.size() && (piece[i] == QLatin1Char('-') || piece[i] == QLatin1Char('+'))) {
        negative = piece[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= piece.size())
        return false;
    long v = 0;
    for (; i < piece.size(); ++i) {
        const char16_t c = piece[i].unicode();
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    value = int(negative ? -v : v);
    return true;
}

} // namespace

QString AfwerkingListText(TAfwerking value)
{
    static const char *const texts[AfwerkingCount] = {"Kleur", "Z/W", "Sepia"};
    return afwerkingText(value, texts);
}

QString AfwerkingEditorText(TAfwerking value)
{
    static const char *const texts[AfwerkingCount] = {"Kleur", "Zwart/Wit", "Bruintoon"};
    return afwerkingText(value, texts);
}

QString AfwerkingSettingsText(TAfwerking value)
{
    static const char *const texts[AfwerkingCount] = {"Kleur", "Zwart/Wit (Grijstinten)", "Bruintoon (Sepia)"};
    return afwerkingText(value, texts);
}

TInstellingen StandaardInstellingen(const QString &formaat)
{
    TInstellingen s;
    s.Formaat = formaat;
    return s;
}

TDatum PakDatum(TDateTime value)
{
    const auto d = datetime::decodeDate(value);
    return TDatum{uint8_t(d.day), uint8_t(d.month), uint16_t(d.year)};
}

QString DatumTekst(const TDatum &datum, const QString &separator)
{
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(datum.Dag) + separator + two(datum.Maand) + separator + two(datum.Jaar);
}

QString VersieTekst(uint8_t versienummer, TDateTime versiedatum)
{
    return DatumTekst(PakDatum(versiedatum), QString()) + QLatin1Char('-')
        + QStringLiteral("%1").arg(int(versienummer), 2, 10, QLatin1Char('0'));
}

bool TijdstipUitTekst(const QString &text, TDateTime &out)
{
    struct Piece {
        int start; // 1-based
        int length;
    };
    static constexpr Piece pieces[6] = {{1, 2}, {3, 2}, {5, 2}, {8, 2}, {10, 2}, {12, 4}};
    int v[6];
    for (int k = 0; k < 6; ++k) {
        const QString piece = text.mid(pieces[k].start - 1, pieces[k].length);
        // A piece cut short by the end of the text counts as missing.
        if (piece.size() < pieces[k].length || !pieceToInt(piece, v[k]) || v[k] < 0 || v[k] > 65535)
            return false;
    }
    // Valid numbers that make no date or time raise here.
    const TDateTime date = datetime::encodeDate(v[5], v[4], v[3]);
    const TDateTime time = datetime::encodeTime(v[0], v[1], v[2], 0);
    out = date + time;
    return true;
}
