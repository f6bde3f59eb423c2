// Fuzz target: the help file's table of contents and "#SYSTEM" records on arbitrary bytes.
// Every entry read names a page that stays inside the file, with a depth that is never negative.
#include "help/ChmInhoud.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const TChmOnderwerp &topic : chm::ParseContents(bytes)) {
        if (topic.niveau < 0 || topic.naam.isEmpty())
            std::abort();
        if (topic.pagina.isEmpty())
            continue;
        if (!topic.pagina.startsWith(QLatin1Char('/')) || topic.pagina.split(QLatin1Char('/')).contains(QLatin1String("..")))
            std::abort();
    }
    chm::ParseSystem(bytes);
    return 0;
}
