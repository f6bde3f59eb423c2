#include "Money.h"

#include "Errors.h"

#include <limits>

namespace {

QString digitsWithDecimals(int64_t cents, bool grouped)
{
    const bool negative = cents < 0;
    const uint64_t abs = negative ? uint64_t(0) - uint64_t(cents) : uint64_t(cents);
    QString whole = QString::number(abs / 100);
    if (grouped) {
        for (qsizetype pos = whole.size() - 3; pos > 0; pos -= 3)
            whole.insert(pos, QLatin1Char('.'));
    }
    const uint64_t frac = abs % 100;
    QString s = whole + QLatin1Char(',') + QLatin1Char(char('0' + frac / 10)) + QLatin1Char(char('0' + frac % 10));
    return negative ? QLatin1Char('-') + s : s;
}

} // namespace

TCurrency TCurrency::checkedAdd(TCurrency o) const
{
    int64_t sum = 0;
    if (__builtin_add_overflow(m_raw, o.m_raw, &sum))
        throw EIntOverflow(QStringLiteral("Bedrag te groot"));
    return TCurrency(sum);
}

TCurrency TCurrency::checkedMul(int64_t n) const
{
    int64_t product = 0;
    if (__builtin_mul_overflow(m_raw, n, &product))
        throw EIntOverflow(QStringLiteral("Bedrag te groot"));
    return TCurrency(product);
}

namespace money {

QString formatMoney(TCurrency amount)
{
    return QStringLiteral("€ ") + digitsWithDecimals(amount.roundedCents(), true);
}

QString formatAmount(TCurrency amount)
{
    return digitsWithDecimals(amount.roundedCents(), false);
}

std::optional<TCurrency> parseAmount(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) {
        negative = text[0] == QLatin1Char('-');
        ++i;
    }
    const QChar sep = text.contains(QLatin1Char(',')) ? QLatin1Char(',') : QLatin1Char('.');
    constexpr int64_t kMaxWhole = std::numeric_limits<int64_t>::max() / 10000 - 1;
    int64_t whole = 0;
    int64_t frac = 0;
    int fracDigits = 0;
    bool roundUp = false;
    bool anyDigit = false;
    bool inFraction = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == sep && !inFraction) {
            inFraction = true;
            continue;
        }
        if (!c.isDigit() || c.unicode() > '9')
            return std::nullopt;
        anyDigit = true;
        const int d = c.unicode() - '0';
        if (!inFraction) {
            whole = whole * 10 + d;
            if (whole > kMaxWhole)
                return std::nullopt;
        } else if (fracDigits < 4) {
            frac = frac * 10 + d;
            ++fracDigits;
        } else if (fracDigits == 4) {
            roundUp = d >= 5;
            ++fracDigits;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    for (int k = std::min(fracDigits, 4); k < 4; ++k)
        frac *= 10;
    int64_t raw = whole * 10000 + frac + (roundUp ? 1 : 0);
    return TCurrency::fromRaw(negative ? -raw : raw);
}

} // namespace money
