#pragma once
// Money: a signed 64-bit count of ten-thousandths, exact. A whole count times an amount stays
// exact; nothing is rounded until an amount is shown with two decimals.

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>

class TCurrency {
public:
    constexpr TCurrency() = default;
    static constexpr TCurrency fromRaw(int64_t tenThousandths) { return TCurrency(tenThousandths); }
    // Whole cents, e.g. fromCents(117) is 1.17.
    static constexpr TCurrency fromCents(int64_t cents) { return TCurrency(cents * 100); }
    constexpr int64_t raw() const { return m_raw; }

    // The marker for "no price" wherever a price lookup fails.
    static constexpr TCurrency missing() { return TCurrency(-10000); }

    constexpr TCurrency operator+(TCurrency o) const { return TCurrency(m_raw + o.m_raw); }
    constexpr TCurrency operator-(TCurrency o) const { return TCurrency(m_raw - o.m_raw); }
    constexpr TCurrency operator-() const { return TCurrency(-m_raw); }
    constexpr TCurrency operator*(int64_t n) const { return TCurrency(m_raw * n); }
    friend constexpr TCurrency operator*(int64_t n, TCurrency c) { return c * n; }
    TCurrency &operator+=(TCurrency o) { m_raw += o.m_raw; return *this; }
    TCurrency &operator-=(TCurrency o) { m_raw -= o.m_raw; return *this; }
    constexpr auto operator<=>(const TCurrency &) const = default;

    // The same sums and products, raising EIntOverflow instead of passing the 64-bit range
    // (a damaged catalogue can hold any price).
    TCurrency checkedAdd(TCurrency o) const;
    TCurrency checkedMul(int64_t n) const;

    double toDouble() const { return double(m_raw) / 10000.0; }
    // Amount rounded to whole cents, half away from zero (0.0050 becomes 0.01).
    // Safe over the whole 64-bit range: the remainder decides, nothing is negated or added
    // before dividing.
    constexpr int64_t roundedCents() const
    {
        const int64_t cents = m_raw / 100;
        const int64_t rest = m_raw % 100; // has the sign of m_raw
        return rest >= 50 ? cents + 1 : rest <= -50 ? cents - 1 : cents;
    }

private:
    constexpr explicit TCurrency(int64_t raw) : m_raw(raw) {}
    int64_t m_raw = 0;
};

namespace money {

// "%m" under the Dutch (Netherlands) settings: "€ 1,17", "€ 1.234,50", "€ -1,17".
QString formatMoney(TCurrency amount);

// "%0.2f" under the Dutch settings: two decimals and a decimal comma, no grouping:
// "1,17", "1234,50", "-1,00".
QString formatAmount(TCurrency amount);

// Reads an amount written with a decimal comma ("12,50", "-0,5", " 3"), as the server sends
// them. A full stop is accepted as the decimal separator too when no comma is present; at most
// four decimals are kept (further digits rounded half away from zero). Empty or malformed
// text gives nullopt.
std::optional<TCurrency> parseAmount(const QString &text);

} // namespace money
