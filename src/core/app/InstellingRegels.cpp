#include "InstellingRegels.h"

#include <limits>

QStringList UploadSpeedKeuzes()
{
    return {QStringLiteral("28"),  QStringLiteral("56"),  QStringLiteral("64"),   QStringLiteral("128"),
            QStringLiteral("256"), QStringLiteral("384"), QStringLiteral("512"),  QStringLiteral("768"),
            QStringLiteral("1024"), QStringLiteral("1536"), QStringLiteral("2048")};
}

uint16_t UploadSpeedUitTekst(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value > std::numeric_limits<uint16_t>::max())
        return 56;
    return uint16_t(value);
}

QString InstellingenControle(bool formaatGekozen, bool catalogusBestaat, bool snelheidGekozen)
{
    const bool formaatOntbreekt = !formaatGekozen && catalogusBestaat;
    if (!formaatOntbreekt && snelheidGekozen)
        return {};
    QString text = QStringLiteral("De volgende velden moeten ingevuld worden:\r");
    if (formaatOntbreekt)
        text += QStringLiteral(" - Standaardformaat\r");
    if (!snelheidGekozen)
        text += QStringLiteral(" - Uploadsnelheid");
    return text;
}
