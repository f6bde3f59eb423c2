#include "UOrderFile.h"

#include "PrintRater.h"
#include "app/AnsiString.h"
#include "app/Bytes.h"
#include "app/DateTime.h"
#include "app/Errors.h"

#include <QFile>
#include <QSaveFile>
#include <QThreadPool>

#include <future>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace {

constexpr int OffHeaderVersie = 513;
constexpr int OffHeaderPenFVersie = 518;
constexpr int OffHeaderReserve = 528;
// Records written per call while saving, so a large order neither needs one huge buffer
// nor one system call per item.
constexpr int WriteChunkRecords = 256;

struct PhotoStat {
    bool exists = false;
    bool readableFile = false;
    qint64 size = 0;
};

PhotoStat fromStat(const struct stat &st)
{
    PhotoStat out;
    out.exists = true;
    out.size = st.st_size;
    if (!S_ISREG(st.st_mode))
        return out;
    const uid_t uid = ::geteuid();
    if (uid == 0)
        out.readableFile = true;
    else if (st.st_uid == uid)
        out.readableFile = (st.st_mode & S_IRUSR) != 0;
    else if (st.st_gid == ::getegid())
        out.readableFile = (st.st_mode & S_IRGRP) != 0;
    else
        out.readableFile = (st.st_mode & S_IROTH) != 0;
    return out;
}

// One stat() per photo: opening an order of many photos is dominated by this. The record's
// path bytes are Windows-1252; when they are plain ASCII they are also the file system's
// bytes and no conversion is needed.
PhotoStat statPhoto(const unsigned char *field)
{
    struct stat st;
    const int len = std::min<int>(field[0], 255);
    if (len == 0)
        return {};
    bool ascii = true;
    char buf[256];
    for (int i = 0; i < len; ++i) {
        const unsigned char b = field[1 + i];
        if (b >= 0x80 || b == 0) {
            ascii = false;
            break;
        }
        buf[i] = char(b);
    }
    if (ascii) {
        buf[len] = '\0';
        return ::stat(buf, &st) == 0 ? fromStat(st) : PhotoStat{};
    }
    const QString path = ansi::readShort(field, 255);
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? fromStat(st) : PhotoStat{};
}

// Stats the photos of a run of records, half of them on a worker thread: opening a large
// order waits mostly on these calls, and they do not depend on each other. The answers are
// then used in file order, so questions and messages keep their order.
void statRecords(const char *records, int count, std::vector<PhotoStat> &out)
{
    out.assign(size_t(count), PhotoStat{});
    auto range = [&](int from, int to) {
        for (int i = from; i < to; ++i)
            out[size_t(i)] = statPhoto(bytes::u(records) + qsizetype(i) * TOrderFile::RecordSize + TOrderItem::OffsetBestand);
    };
    const int half = count / 2;
    if (half < 64 || QThreadPool::globalInstance()->maxThreadCount() < 2) {
        range(0, count);
        return;
    }
    // The promise is shared with the task, so it outlives whichever side finishes last.
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    QThreadPool::globalInstance()->start([done, &range, half, count] {
        range(half, count);
        done->set_value();
    });
    range(0, half);
    finished.wait();
}

QString loadText(qint64 k, qint64 n)
{
    return QStringLiteral("Laden van orderbestand\r") + QString::number(k) + QStringLiteral(" van ")
        + QString::number(n) + QStringLiteral(" geladen");
}

} // namespace

bool VersionNotGreater(const QString &a, const QString &b)
{
    const QByteArray x = ansi::encode(a);
    const QByteArray y = ansi::encode(b);
    const int common = int(std::min(x.size(), y.size()));
    const int c = std::memcmp(x.constData(), y.constData(), size_t(common));
    if (c != 0)
        return c < 0;
    return x.size() <= y.size();
}

void TOrderFile::SetOrderFileHeader(const QString &fileName, const QString &version, const QString &catalogueVersion,
                                    int32_t reserve)
{
    m_fileName = fileName;
    m_headerVersie = ansi::cut(version, 4);
    m_headerPenFVersie = ansi::cut(catalogueVersion, 9);
    m_headerReserve = reserve;
}

QByteArray TOrderFile::HeaderRecord() const
{
    QByteArray rec(RecordSize, '\0');
    auto *r = bytes::u(rec.data());
    ansi::writeShort(r + OffHeaderVersie, 4, m_headerVersie);
    ansi::writeShort(r + OffHeaderPenFVersie, 9, m_headerPenFVersie);
    bytes::putI32LE(r + OffHeaderReserve, m_headerReserve);
    return rec;
}

bool TOrderFile::CheckOrderFileVersion(const QString &version)
{
    QFile file(m_fileName);
    if (m_fileName.isEmpty() || !file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(m_fileName, QStringLiteral("Het bestand kan niet worden geopend (%1)").arg(file.errorString()));
    const QByteArray header = file.read(RecordSize);
    if (header.size() != RecordSize)
        return false;
    const auto *r = bytes::u(header.constData());
    const QString versie = ansi::readShort(r + OffHeaderVersie, 4);
    m_headerVersie = versie;
    m_headerPenFVersie = ansi::readShort(r + OffHeaderPenFVersie, 9);
    m_headerReserve = bytes::getI32LE(r + OffHeaderReserve);
    return VersionNotGreater(versie, version);
}

bool TOrderFile::LoadOrderFile(const QString &fileName, const QString &version, QList<TOrderItem> &items,
                               IPrintRater &rater, bool quiet, const TOperationHooks &hooks)
{
    m_fileName = fileName;
    hooks.setProgress(0, QStringLiteral("Laden van orderbestand\rControleren van de versie"), ApplicationTitle());
    if (!CheckOrderFileVersion(version)) {
        hooks.hideProgress();
        return false;
    }
    hooks.setProgress(5, QStringLiteral("Laden van orderbestand"));

    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(RecordSize)) {
        items.clear();
        hooks.hideProgress();
        return false;
    }
    const qint64 n = file.size() / RecordSize - 1;
    hooks.setProgress(1, QStringLiteral("Laden van orderbestand\r0 van %1").arg(n));
    items.reserve(items.size() + qsizetype(n));

    constexpr qint64 ChunkRecords = 4096;
    QByteArray chunk;
    std::vector<PhotoStat> stats;
    qint64 chunkStart = 1;
    qint64 chunkCount = 0;
    TOrderItem::FormatCache formatCache;
    for (qint64 k = 1; k <= n; ++k) {
        if (!quiet)
            hooks.pump();
        if (k >= chunkStart + chunkCount) {
            chunkStart = k;
            chunkCount = std::min<qint64>(ChunkRecords, n - k + 1);
            chunk.resize(qsizetype(chunkCount * RecordSize));
            if (file.read(chunk.data(), chunk.size()) != chunk.size()) {
                items.clear();
                hooks.hideProgress();
                return false;
            }
            statRecords(chunk.constData(), int(chunkCount), stats);
        }
        const auto *record = bytes::u(chunk.constData()) + (k - chunkStart) * RecordSize;
        TOrderItem item = TOrderItem::fromRecord(record, false, formatCache);
        const PhotoStat &photo = stats[size_t(k - chunkStart)];
        if (!photo.exists) {
            const QString question = QStringLiteral("Bestand \"") + item.Bestand
                + QStringLiteral("\" kan niet gevonden worden!\rDoorgaan?");
            if (!hooks.askYesNo(question)) {
                hooks.hideProgress();
                return false;
            }
            continue;
        }
        // A photo that cannot be opened to take its size is dropped without a message.
        if (!photo.readableFile)
            continue;
        item.Naam = ansi::cut(OrderItemNaam(item.Bestand), 255);
        const qint64 size = photo.size;
        if (size != item.Grootte) {
            item.Grootte = size;
            TFormatDims dims;
            if (rater.FindFormat(item.Formaat, dims)) {
                RateItem(item, dims, rater, hooks);
            } else {
                item.Formaat.clear();
                item.Kwaliteit = QualityUnknown;
            }
        }
        // A quality level past the table cannot be shown: the item is dropped too.
        if (item.Kwaliteit >= QualityCount)
            continue;
        items.append(std::move(item));
        if (hooks.progress)
            hooks.setProgress(int(Round(double(k) / double(n) * 990.0)), loadText(k, n));
    }
    if (hooks.progressShowing()) {
        hooks.setProgress(1000, QStringLiteral("Laden van orderbestand voltooid"));
        hooks.hideProgress();
    }
    return true;
}

bool TOrderFile::SaveOrderFile(const QString &fileName, const QList<TOrderItem> &items, const TOperationHooks &hooks)
{
    if (!fileName.isEmpty())
        m_fileName = fileName;
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(m_fileName, QStringLiteral("Het bestand kan niet worden aangemaakt (%1)").arg(file.errorString()));
    try {
        if (items.size() > MaxItems)
            throw EInOutError(m_fileName, QStringLiteral("Een orderbestand kan ten hoogste %1 items bevatten").arg(MaxItems));
        auto writeAll = [&](const QByteArray &b) {
            if (file.write(b) != b.size())
                throw EInOutError(m_fileName, QStringLiteral("Schrijven mislukt (%1)").arg(file.errorString()));
        };
        writeAll(HeaderRecord());
        QByteArray chunk;
        for (qsizetype start = 0; start < items.size(); start += WriteChunkRecords) {
            const qsizetype count = std::min<qsizetype>(WriteChunkRecords, items.size() - start);
            chunk.resize(count * RecordSize);
            for (qsizetype i = 0; i < count; ++i)
                items[start + i].writeRecord(bytes::u(chunk.data()) + i * RecordSize);
            writeAll(chunk);
        }
        // The last buffered records go out first: a commit after a failed flush would still
        // put the short file in place of the good one.
        if (!file.flush())
            throw EInOutError(m_fileName, QStringLiteral("Schrijven mislukt (%1)").arg(file.errorString()));
        if (!file.commit())
            throw EInOutError(m_fileName, QStringLiteral("Opslaan mislukt (%1)").arg(file.errorString()));
    } catch (const EKiekjesError &e) {
        file.cancelWriting();
        hooks.message(QStringLiteral("De volgende fout is opgetreden:\r") + e.message());
        return false;
    }
    return true;
}

bool TOrderFile::SaveOrderAs(const QString &chosenPath, const QString &catalogueVersion, const QList<TOrderItem> &items,
                             const TOperationHooks &hooks)
{
    const TOrderFile before = *this;
    SetOrderFileHeader(chosenPath, OrderFileVersion(), catalogueVersion, 0);
    bool ok = false;
    try {
        ok = SaveOrderFile(QString(), items, hooks);
    } catch (...) {
        *this = before;
        throw;
    }
    if (!ok)
        *this = before;
    return ok;
}
