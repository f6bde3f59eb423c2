// Fuzz target: the catalogue reader on arbitrary bytes. Every query of the catalogue runs on
// what was read; a catalogue read completely that the writer accepts must read back the same.
#include "app/Definities.h"
#include "app/Errors.h"
#include "catalogue/UAanbod.h"
#include "catalogue/UKassa.h"
#include "catalogue/UPenF.h"
#include "catalogue/UPenFJson.h"
#include "catalogue/UPenFWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void query(const TPenFFile &catalogue)
{
    (void)catalogue.DefaultFormatName();
    (void)VersieTekst(catalogue.Versienummer(), catalogue.Versiedatum());
    QStringList list;
    catalogue.FillLocations(list);
    catalogue.FillFastServiceLocations(list);
    for (int k = -1; k <= catalogue.LocationCount(); ++k) {
        (void)catalogue.HasFastServiceAt(k);
        (void)catalogue.LocationHost(catalogue.LocationName(k));
    }
    TKassa kassa(catalogue);
    for (int i = -1; i <= catalogue.FormatCount() && i < 64; ++i) {
        const QString name = catalogue.FormatName(i);
        for (uint16_t count : {uint16_t(0), uint16_t(1), uint16_t(65535)}) {
            (void)catalogue.GetPrice(name, count, false);
            (void)catalogue.GetPrice(name, count, true);
        }
        (void)catalogue.GlansMatKeuze(name);
        try {
            kassa.AddPrints(name, 3);
            kassa.ChangeFormat(name, catalogue.FormatName(0), 2);
        } catch (const EKiekjesError &) {
        }
    }
    try {
        (void)kassa.Total();
    } catch (const EIntOverflow &) {
    }
    for (bool fast : {false, true}) {
        const QString location = catalogue.LocationName(0);
        (void)aanbod::FormatsOnOffer(catalogue, fast, location);
        (void)aanbod::RebuildLocations(catalogue, fast, location);
        (void)aanbod::FormatInfoRows(catalogue, fast, location);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    TPenFFile catalogue(QStringLiteral("PenF.dat"), 0.0, 0);
    bool complete = true;
    try {
        catalogue.LoadFromBytes(bytes);
    } catch (const EInOutError &) {
        complete = false;
    }
    query(catalogue);
    const QByteArray json = penfjson::ToJson(catalogue);
    try {
        (void)penfjson::FromJson(json);
    } catch (const EKiekjesError &) {
    }
    if (!complete)
        return 0;
    QByteArray written;
    try {
        written = penfwriter::Write(catalogue, catalogue.Bestandsversie());
    } catch (const EKiekjesError &) {
        return 0; // something the writer refuses, such as a repeated name
    }
    TPenFFile again(QStringLiteral("again"), 0.0, 0);
    again.LoadFromBytes(written);
    if (penfjson::ToJson(again) != json)
        std::abort();
    return 0;
}
