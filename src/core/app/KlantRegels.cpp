#include "KlantRegels.h"

#include <QStringList>

QString KlantControle(const TKlantInvoer &invoer)
{
    QString lines;
    if (!invoer.titelGekozen)
        lines += QStringLiteral(" - Titel\r");
    if (invoer.achternaam.isEmpty())
        lines += QStringLiteral(" - Achternaam\r");
    if (invoer.straat.isEmpty())
        lines += QStringLiteral(" - Straat\r");
    if (invoer.pcCijfers.size() < 4 || invoer.pcLetters.size() < 2 || !PostcodeCijfersGeldig(invoer.pcCijfers))
        lines += QStringLiteral(" - Postcode\r");
    if (invoer.plaats.isEmpty())
        lines += QStringLiteral(" - Woonplaats\r");
    if (!invoer.halenGekozen)
        lines += QStringLiteral(" - Afhalen/Bezorgen\r");
    if (lines.isEmpty())
        return {};
    return QStringLiteral("De volgende verplichte velden hebt u niet ingevuld:\r") + lines
        + QStringLiteral("Deze gegevens moeten ingevuld worden!");
}

bool PostcodeCijfersGeldig(const QString &text)
{
    if (text.isEmpty() || text.size() > 4)
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool toetsfilter::Toegestaan(QChar c, const QString &allowed)
{
    return c.unicode() <= 13 || allowed.contains(c);
}

QString AfhalenKeuzeTekst(const QString &afhaallocatie)
{
    return QStringLiteral("Ik kom de foto's afhalen in ")
        + (afhaallocatie.isEmpty() ? QStringLiteral("...") : afhaallocatie);
}

QString NaamRegel(const TKlantGegevens &klant)
{
    QStringList parts;
    for (const QString &part : {klant.Titel, klant.Voornaam, klant.Tussenvoegsel, klant.Achternaam}) {
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

QString AdresRegels(const TKlantGegevens &klant)
{
    const QString cijfers = QStringLiteral("%1").arg(klant.PcCijfers, 4, 10, QLatin1Char('0'));
    return klant.Straat + QLatin1Char(' ') + klant.Nummer + QLatin1Char('\r') + cijfers + QLatin1Char(' ')
        + klant.PcLetters.text() + QStringLiteral("  ") + klant.Plaats;
}

QString OphalenTekst(const TKlantGegevens &klant)
{
    return QStringLiteral("Ik kom de foto's afhalen in ") + klant.Afhaallocatie.text()
        + (klant.Snelservice ? QStringLiteral(" (Snelservice).") : QStringLiteral(" (Standaardservice)."));
}
