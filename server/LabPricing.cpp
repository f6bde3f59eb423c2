#include "LabPricing.h"

#include "app/Definities.h"
#include "lab/UMailFile.h"

#include <QFile>
#include <map>
#include <tuple>

namespace {
constexpr qint64 MaxCatalogueBytes = 64LL * 1024 * 1024;

// Texts from the container go into a reply line: no line ends, no field separators.
QString field(QString text)
{
    for (QChar &c : text)
        if (c < QChar(0x20) || c == QLatin1Char(';') || c == QLatin1Char('='))
            c = QLatin1Char(' ');
    return text;
}

QString line(const QString &name, const QString &f0, const QString &f1, TCurrency amount, bool withAmount = true)
{
    return field(name) + QLatin1Char('=') + f0 + QLatin1Char(';') + f1 + QLatin1Char(';')
        + (withAmount ? money::formatAmount(amount) : QString());
}
} // namespace

TConfigCatalogue::TConfigCatalogue(const TLabConfig &config) : m_config(config)
{
    if (config.catalogue.isEmpty())
        return;
    QFile f(config.catalogue);
    if (!f.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("%1: %2").arg(config.catalogue, f.errorString());
        return;
    }
    if (f.size() > MaxCatalogueBytes) {
        m_error = QStringLiteral("%1: catalogus is te groot").arg(config.catalogue);
        return;
    }
    m_bytes = f.readAll();
    m_version = config.catalogueVersion;
    m_loaded = true;
}

std::vector<TCalcLine> TConfigCatalogue::orderLines(const TMailFile &order) const
{
    const bool fast = order.Customer().Snelservice;
    // Prints of the same choice are counted together, in order of first appearance.
    using Key = std::tuple<QString, bool, TAfwerking>;
    std::vector<Key> keys;
    std::map<Key, qint64> counts;
    for (const TMailPhoto &p : order.Photos())
        for (const TMailEntry &e : p.Entries) {
            const Key k{e.Formaat, e.Glans, e.Afwerking};
            if (!counts.count(k))
                keys.push_back(k);
            counts[k] += e.Aantal;
        }
    std::vector<TCalcLine> out;
    for (const Key &k : keys) {
        const auto &[formaat, glans, afwerking] = k;
        const qint64 n = counts[k];
        const auto it = m_config.prices.constFind(formaat);
        const TCurrency unit = it == m_config.prices.constEnd() ? TCurrency() : (*it)[fast ? 1 : 0];
        QString name = formaat + QLatin1Char(' ') + PaperName(glans) + QLatin1Char(' ') + AfwerkingListText(afwerking);
        if (it == m_config.prices.constEnd())
            name += QStringLiteral(" (onbekend formaat)");
        out.push_back({name, QString::number(n), money::formatAmount(unit), unit * n});
    }
    return out;
}

QStringList CalculationLines(const TLabCatalogue &catalogue, const TLabConfig &config, const TMailFile &order)
{
    QStringList out;
    TCurrency subtotal;
    for (const TCalcLine &l : catalogue.orderLines(order)) {
        out << line(l.Name, l.F0, l.F1, l.Amount);
        subtotal += l.Amount;
    }
    const TKlantGegevens k = order.Customer();
    const TCurrency postage = config.postage[k.Snelservice ? 1 : 0][k.Versturen ? 1 : 0];
    out << line(QStringLiteral("Subtotaal"), QString(), QString(), subtotal);
    out << line(QStringLiteral("Portokosten"), QString(), QString(), postage);
    out << line(QStringLiteral("-"), QString(), QString(), TCurrency(), false);
    out << line(QStringLiteral("Totaal"), QString(), QString(), subtotal + postage);
    return out;
}
