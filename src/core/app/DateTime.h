#pragma once
// TDateTime: a double counting days since 1899-12-30, the fraction being the time of day.
// Also the program's clock, which tests can fix, and Round (half to even).

#include <QDateTime>
#include <cmath>
#include <cstdint>
#include <functional>

using TDateTime = double;

namespace datetime {

// Days since 1899-12-30 of a calendar date; throws EConvertError for an invalid date.
TDateTime encodeDate(int year, int month, int day);
// Fraction of a day; throws EConvertError for an invalid time (hour 24, minute 60, ...).
TDateTime encodeTime(int hour, int minute, int second, int msec = 0);

struct YMD {
    int year;
    int month;
    int day;
};
// Calendar breakdown of the date part (the time of day is dropped).
YMD decodeDate(TDateTime value);

// Conversions to and from Qt's local date-time (no time zone arithmetic: the value is the
// wall clock it shows). A value that is not finite or lies beyond a billion days gives an
// invalid date (decodeDate then gives zeros).
QDateTime toQDateTime(TDateTime value);
TDateTime fromQDateTime(const QDateTime &dt);
QDate toQDate(TDateTime value);
TDateTime fromQDate(const QDate &d);

// The program's "now". Tests replace it through setClockForTesting.
TDateTime now();
void setClockForTesting(std::function<TDateTime()> clock);

} // namespace datetime

// Round half to even, the rounding of every progress position, kilobyte count and estimate.
inline int64_t Round(double value) { return std::llrint(std::nearbyint(value)); }
