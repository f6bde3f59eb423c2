#include "LabPricing.h"

#include "app/Definities.h"
#include "app/Errors.h"
#include "catalogue/UKassa.h"
#include "catalogue/UPenF.h"
#include "lab/UMailFile.h"

#include <QFile>
#include <QFileInfo>

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

QString line(const QString &name, const QString &f0, const QString &f1, const QString &amount)
{
    return field(name) + QLatin1Char('=') + f0 + QLatin1Char(';') + f1 + QLatin1Char(';') + amount;
}
} // namespace

TPenFCatalogue::TPenFCatalogue(const QString &fileName) : m_fileName(fileName)
{
    if (!fileName.isEmpty())
        load();
}

TPenFCatalogue::~TPenFCatalogue() = default;

bool TPenFCatalogue::load()
{
    const QFileInfo info(m_fileName);
    QFile f(m_fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("%1: %2").arg(m_fileName, f.errorString());
        return false;
    }
    if (f.size() > MaxCatalogueBytes) {
        m_error = QStringLiteral("%1: catalogus is te groot").arg(m_fileName);
        return false;
    }
    const QByteArray bytes = f.readAll();
    auto penf = std::make_unique<TPenFFile>(m_fileName, 0, 0);
    try {
        penf->LoadFromBytes(bytes);
    } catch (const EKiekjesError &e) {
        m_error = e.message();
        return false;
    }
    m_penf = std::move(penf);
    m_bytes = bytes;
    m_version = VersieTekst(m_penf->Versienummer(), m_penf->Versiedatum());
    m_modified = info.lastModified();
    m_size = info.size();
    m_error.clear();
    return true;
}

void TPenFCatalogue::refresh()
{
    if (m_fileName.isEmpty())
        return;
    const QFileInfo info(m_fileName);
    if (m_penf && !m_replacing && info.exists() && info.lastModified() == m_modified && info.size() == m_size)
        return;
    // Changed, gone or not yet readable: the old one is no longer handed out.
    m_replacing = !load();
    if (!m_replacing)
        return;
    if (!m_penf)
        m_replacing = false; // never had one: simply none available
}

std::vector<TCalcLine> TPenFCatalogue::orderLines(const TMailFile &order) const
{
    if (!m_penf)
        return {};
    TKassa kassa(*m_penf);
    kassa.SetSnelservice(order.Customer().Snelservice);
    try {
        for (const TMailPhoto &p : order.Photos())
            for (const TMailEntry &e : p.Entries)
                kassa.AddPrints(e.Formaat, e.Aantal);
    } catch (const EKiekjesError &) {
        return {};
    }
    std::vector<TCalcLine> out;
    for (const TAanslag &a : kassa.Aanslagen()) {
        if (a.Prijs == TCurrency::missing())
            return {}; // a format the catalogue does not have: not priced at all
        out.push_back({a.Formaat, QString::number(a.Aantal), money::formatAmount(a.Prijs), a.Prijs * a.Aantal});
    }
    return out;
}

QStringList CalculationLines(const TLabCatalogue &catalogue, const TLabConfig &config, const TMailFile &order)
{
    const std::vector<TCalcLine> lines = catalogue.orderLines(order);
    if (lines.empty())
        return {};
    QStringList out;
    TCurrency subtotal;
    for (const TCalcLine &l : lines) {
        out << line(l.Name, l.F0, l.F1, money::formatAmount(l.Amount));
        subtotal += l.Amount;
    }
    const TKlantGegevens k = order.Customer();
    // With the fast service the prints are always collected.
    const TCurrency postage = config.postage[k.Snelservice ? 1 : 0][(k.Versturen && !k.Snelservice) ? 1 : 0];
    out << line(QStringLiteral("Subtotaal"), QString(), QString(), money::formatAmount(subtotal));
    out << line(QStringLiteral("Portokosten"), QString(), QString(), money::formatAmount(postage));
    out << line(QStringLiteral("-"), QString(), QString(), QString());
    out << line(QStringLiteral("Totaal"), QString(), QString(), money::formatAmount(subtotal + postage));
    return out;
}
