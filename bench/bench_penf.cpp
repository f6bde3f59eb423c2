// Loading PenF.dat: the reader against a plain record-by-record read of the same bytes, for
// catalogues of growing size whose formats all carry fast tiers (each needs the earlier
// format of its name found again). Figures are ratios against the plain read measured in the
// same run; a ratio that stays level as the catalogue grows shows the loading stays linear.
#include "app/Bytes.h"
#include "catalogue/UPenF.h"

#include <QBuffer>
#include <QElapsedTimer>

#include <cstdio>

namespace {

QByteArray catalogueBytes(int formats)
{
    const int size = 1152;
    QByteArray out(size, '\0');
    unsigned char *h = bytes::u(out.data());
    const QByteArray id = penf::IdentifierV2;
    h[24] = uint8_t(id.size());
    std::memcpy(h + 25, id.constData(), size_t(id.size()));
    for (int i = 0; i < formats; ++i) {
        QByteArray f(size, '\0');
        const QByteArray name = "Formaat " + QByteArray::number(i);
        f[1] = char(name.size());
        f.replace(2, name.size(), name);
        bytes::putU16LE(bytes::u(f.data()) + 540, 1);
        bytes::putU16LE(bytes::u(f.data()) + 544, 1);
        QByteArray t(size, '\0');
        bytes::putU16LE(bytes::u(t.data()) + 2, 1);
        bytes::putI64LE(bytes::u(t.data()) + 8, 2900);
        out += f + t + t;
    }
    return out;
}

// The baseline: every record read once from the same kind of device.
qint64 plainRead(const QByteArray &data)
{
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QByteArray record(1152, '\0');
    qint64 sum = 0;
    for (qint64 pos = 0; pos + 1152 <= data.size(); pos += 1152) {
        buffer.seek(pos);
        buffer.read(record.data(), 1152);
        sum += uint8_t(record[2]);
    }
    return sum;
}

template <typename F>
double bestOf(int runs, F f)
{
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        f();
        best = std::min(best, double(timer.nsecsElapsed()));
    }
    return best;
}

} // namespace

int main()
{
    std::printf("formats  records  load / plain read\n");
    for (int formats : {500, 2000, 8000, 21000}) {
        const QByteArray data = catalogueBytes(formats);
        volatile qint64 sink = 0;
        const double plain = bestOf(5, [&] { sink = sink + plainRead(data); });
        const double load = bestOf(5, [&] {
            TPenFFile catalogue(QString(), 0, 0);
            catalogue.LoadFromBytes(data);
            sink = sink + catalogue.FormatCount();
        });
        std::printf("%7d  %7lld  %8.1f\n", formats, static_cast<long long>(data.size() / 1152), load / plain);
    }
    return 0;
}
