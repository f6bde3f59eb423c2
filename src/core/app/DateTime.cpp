#include "DateTime.h"

#include "Errors.h"

namespace {

const QDate kEpoch(1899, 12, 30);
std::function<TDateTime()> g_clock;

} // namespace

namespace datetime {

TDateTime encodeDate(int year, int month, int day)
{
    const QDate d(year, month, day);
    if (year < 1 || year > 9999 || !d.isValid())
        throw EConvertError(QStringLiteral("Ongeldige datum: %1-%2-%3").arg(day).arg(month).arg(year));
    return double(kEpoch.daysTo(d));
}

TDateTime encodeTime(int hour, int minute, int second, int msec)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        throw EConvertError(QStringLiteral("Ongeldige tijd: %1:%2:%3").arg(hour).arg(minute).arg(second));
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / 86400000.0;
}

YMD decodeDate(TDateTime value)
{
    const QDate d = toQDate(value);
    return {d.year(), d.month(), d.day()};
}

QDate toQDate(TDateTime value)
{
    // A value read from a damaged file can be anything; converting NaN or a huge value to an
    // integer is undefined, so those give an invalid date.
    if (!std::isfinite(value) || std::fabs(value) > 1e9)
        return QDate();
    return kEpoch.addDays(qint64(std::trunc(value)));
}

TDateTime fromQDate(const QDate &d)
{
    return double(kEpoch.daysTo(d));
}

QDateTime toQDateTime(TDateTime value)
{
    const QDate d = toQDate(value);
    // The fraction counts the same way on both sides of the epoch (its absolute value).
    const double frac = std::fabs(value - std::trunc(value));
    qint64 ms = qint64(std::llround(frac * 86400000.0));
    if (ms >= 86400000)
        ms = 86399999;
    return QDateTime(d, QTime::fromMSecsSinceStartOfDay(int(ms)));
}

TDateTime fromQDateTime(const QDateTime &dt)
{
    const double days = double(kEpoch.daysTo(dt.date()));
    const double frac = dt.time().msecsSinceStartOfDay() / 86400000.0;
    return days >= 0 ? days + frac : days - frac;
}

TDateTime now()
{
    if (g_clock)
        return g_clock();
    return fromQDateTime(QDateTime::currentDateTime());
}

void setClockForTesting(std::function<TDateTime()> clock)
{
    g_clock = std::move(clock);
}

} // namespace datetime
