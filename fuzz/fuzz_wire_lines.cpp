// Fuzz target: reading reply lines the way the program reads them from the order server,
// and the ready-time decoding of a reply line. Lines never exceed the limit and every call
// either takes a line, asks for more, or reports a line too long.
#include "app/Definities.h"
#include "app/AnsiString.h"
#include "app/Errors.h"
#include "lab/Wire.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray buffer(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray line;
    for (;;) {
        const qsizetype before = buffer.size();
        const wire::LineResult r = wire::takeLine(buffer, line);
        if (r != wire::LineResult::Line)
            break;
        if (line.size() > wire::MaxLineLength || buffer.size() >= before)
            std::abort();
        TDateTime when = 0;
        try {
            TijdstipUitTekst(ansi::decode(line), when);
        } catch (const EKiekjesError &) {
        }
    }
    return 0;
}
