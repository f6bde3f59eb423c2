#include "catalogue/UKassa.h"

#include "app/Errors.h"
#include "catalogue/UPenF.h"

namespace {

bool sameAsciiIgnoringCase(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'a' && x <= u'z')
            x = char16_t(x - u'a' + u'A');
        if (y >= u'a' && y <= u'z')
            y = char16_t(y - u'a' + u'A');
        if (x != y)
            return false;
    }
    return true;
}

// A print count as the unsigned 16-bit total holds it.
uint16_t checkedCount(int64_t total)
{
    if (total > 65535)
        throw EIntOverflow(QStringLiteral("Meer dan 65535 afdrukken van één formaat"));
    if (total < 0)
        throw ERangeError(QStringLiteral("Minder dan 0 afdrukken van één formaat"));
    return uint16_t(total);
}

} // namespace

TKassa::TKassa(const TPenFFile &penFFile) : m_penFFile(penFFile) {}

int TKassa::indexOf(const QString &format) const
{
    for (int i = 0; i < m_aanslagen.size(); ++i) {
        if (sameAsciiIgnoringCase(m_aanslagen[i].Formaat, format))
            return i;
    }
    return -1;
}

TCurrency TKassa::AddPrints(const QString &format, int count)
{
    const int index = indexOf(format);
    if (index >= 0) {
        TAanslag &entry = m_aanslagen[index];
        const uint16_t total = checkedCount(int64_t(entry.Aantal) + count);
        const TCurrency price = m_penFFile.GetPrice(format, total, m_snelservice);
        entry.Aantal = total;
        entry.Prijs = price;
        return price;
    }
    if (m_penFFile.IndexOfFormat(format) == -1)
        return TCurrency::missing();
    const uint16_t total = checkedCount(count);
    try {
        m_aanslagen.append(TAanslag{format, total, m_penFFile.GetPrice(format, total, m_snelservice)});
    } catch (const std::bad_alloc &) {
        return TCurrency::missing();
    }
    return m_aanslagen.last().Prijs;
}

TCurrency TKassa::RemovePrints(const QString &format, int count)
{
    const int index = indexOf(format);
    if (index < 0)
        return TCurrency::missing();
    TAanslag &entry = m_aanslagen[index];
    const uint16_t remaining = checkedCount(int64_t(entry.Aantal) - count);
    if (remaining == 0) {
        m_aanslagen.removeAt(index);
        return TCurrency();
    }
    const TCurrency price = m_penFFile.GetPrice(format, remaining, m_snelservice);
    entry.Aantal = remaining;
    entry.Prijs = price;
    return price;
}

TCurrency TKassa::ChangeFormat(const QString &oldFormat, const QString &newFormat, int count)
{
    // Failure means the register has no entry for the old format. A format priced at the
    // missing-price marker still moves: its prints must not be removed without being added.
    if (indexOf(oldFormat) < 0) {
        if (m_messageHook)
            m_messageHook(QStringLiteral("Herstellen is fout gegaan"));
        return TCurrency::missing();
    }
    const QList<TAanslag> before = m_aanslagen;
    RemovePrints(oldFormat, count);
    try {
        return AddPrints(newFormat, count);
    } catch (...) {
        // The prints taken from the old format must not vanish from the register.
        m_aanslagen = before;
        throw;
    }
}

TCurrency TKassa::UnitPrice(const QString &format) const
{
    const int index = indexOf(format);
    return index < 0 ? TCurrency::missing() : m_aanslagen[index].Prijs;
}

TCurrency TKassa::Total() const
{
    TCurrency total;
    for (const TAanslag &entry : m_aanslagen)
        total = total.checkedAdd(entry.Prijs.checkedMul(entry.Aantal));
    return total;
}
