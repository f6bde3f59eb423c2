#pragma once
// Shared pieces of the upload and update tests: a lab configuration in a temporary folder
// and photos written at run time.

#include "LabConfig.h"

#include "../catalogue/PenFBytes.h"

#include <QFile>
#include <QTemporaryDir>

namespace fixture {
inline const QString CatalogueVersion = QStringLiteral("01122028-03"); // of penfbytes::nineRecords()

inline TLabConfig labConfig(const QTemporaryDir &dir, const QByteArray &catalogue = penfbytes::nineRecords())
{
    TLabConfig c;
    c.port = 0;
    c.dataFolder = dir.filePath(QStringLiteral("lab"));
    c.catalogue = dir.filePath(QStringLiteral("lab-PenF.dat"));
    QFile f(c.catalogue);
    f.open(QIODevice::WriteOnly);
    f.write(catalogue);
    c.news = QStringLiteral("Nieuws van het lab");
    c.postage[0][1] = TCurrency::fromCents(395);
    c.readyHours[0] = 72;
    c.readyHours[1] = 24;
    return c;
}

// A photo of `size` bytes whose content depends on `seed`.
inline QString writePhoto(const QTemporaryDir &dir, const QString &name, qint64 size, int seed)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QByteArray bytes(qsizetype(std::min<qint64>(size, 1 << 20)), Qt::Uninitialized);
    for (qint64 done = 0; done < size; done += bytes.size()) {
        const qint64 n = std::min<qint64>(bytes.size(), size - done);
        for (qint64 i = 0; i < n; ++i)
            bytes[qsizetype(i)] = char((done + i) * 31 + seed);
        f.write(bytes.constData(), n);
    }
    return path;
}
} // namespace fixture
