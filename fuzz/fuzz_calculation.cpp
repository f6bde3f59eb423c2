// Fuzz target: the calculation lines of the order server as the program reads them: split
// into fields, built into the confirmation table, and the total taken. Every input either
// gives rows or a conversion error, and the fields never hold more characters than the line.
#include "app/AnsiString.h"
#include "app/Errors.h"
#include "catalogue/UBerekening.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = ansi::decode(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        qsizetype chars = 0;
        for (const QString &f : SplitCalculationFields(SplitCalculationLine(line).Value))
            chars += f.size();
        if (chars > line.size())
            std::abort();
    }
    try {
        const auto rows = CalculationRows(lines);
        if (rows.size() != size_t(lines.size()))
            std::abort();
    } catch (const EConvertError &) {
    }
    OrderTotal(lines);
    return 0;
}
