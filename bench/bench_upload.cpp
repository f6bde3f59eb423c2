// Upload of one large order from the client (TDM) to kiekjesbode-lab over loopback, against
// a plain socket copy of the same bytes from disk to disk in the same run; and the growth of
// the resident memory of both sides (one process) while it runs, against the 64 MB budget.
//
//   bench_upload [megabytes]     (default 512; photos of 16 MB, generated in a temp folder)
//
// Every figure is printed as a ratio.
#include "LabServer.h"

#include "app/DateTime.h"
#include "lab/UDataModule.h"
#include "lab/UMailFile.h"
#include "order/TOrderItem.h"

#include "../tests/catalogue/PenFBytes.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <thread>

#include "../tests/common/ProcStatus.h"

namespace {
constexpr qint64 MB = 1024 * 1024;

qint64 rssBytes()
{
    return ProcStatusBytes("VmRSS:");
}

// Samples the resident size every 5 ms while alive; keeps the peak.
class RssSampler {
public:
    RssSampler() : m_peak(rssBytes()), m_thread([this] {
        while (!m_stop) {
            m_peak = std::max<qint64>(m_peak, rssBytes());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }) {}
    ~RssSampler() { stop(); }
    qint64 stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_peak;
    }

private:
    std::atomic_bool m_stop{false};
    std::atomic<qint64> m_peak;
    std::thread m_thread;
};

// Plain copy: the sender reads the files and writes their bytes to the socket; the receiver
// writes everything it gets into one file. Both ends get the socket options the client and
// the server use, so only the work of the program itself makes the difference. Returns the
// seconds taken.
double plainCopy(const QStringList &files, qint64 total, const QString &target)
{
    std::atomic<qint64> received{0};
    // The receiver accepts and writes on a thread of its own.
    std::atomic<bool> ready{false};
    std::atomic<quint16> port{0};
    std::thread rx([&] {
        QTcpServer s;
        s.listen(QHostAddress::LocalHost, 0);
        port = s.serverPort();
        ready = true;
        if (!s.waitForNewConnection(10000))
            return;
        QTcpSocket *sock = s.nextPendingConnection();
        sock->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QFile out(target);
        out.open(QIODevice::WriteOnly);
        QByteArray buf(64 * 1024, Qt::Uninitialized);
        while (received < total) {
            if (sock->bytesAvailable() == 0 && !sock->waitForReadyRead(10000))
                break;
            const qint64 n = sock->read(buf.data(), buf.size());
            if (n <= 0)
                break;
            out.write(buf.constData(), n);
            received += n;
        }
        out.close();
        sock->write("k");
        sock->waitForBytesWritten(5000);
        delete sock;
    });
    while (!ready)
        std::this_thread::yield();
    QElapsedTimer t;
    t.start();
    QTcpSocket sock;
    sock.connectToHost(QHostAddress::LocalHost, port);
    sock.waitForConnected(10000);
    sock.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QByteArray buf(32 * 1024, Qt::Uninitialized);
    for (const QString &path : files) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        qint64 n;
        while ((n = f.read(buf.data(), buf.size())) > 0) {
            sock.write(buf.constData(), n);
            while (sock.bytesToWrite() > 256 * 1024)
                sock.waitForBytesWritten(25);
        }
    }
    while (sock.bytesToWrite() > 0)
        sock.waitForBytesWritten(25);
    sock.waitForReadyRead(30000); // the receiver's "done"
    const double seconds = t.nsecsElapsed() / 1e9;
    rx.join();
    if (received != total)
        std::fprintf(stderr, "plain copy short: %lld of %lld\n", (long long)received.load(), (long long)total);
    return seconds;
}

// The order upload of sequence B through TDM. Returns the seconds taken, or -1.
double tdmUpload(TMailFile &mail, const QStringList &files, quint16 port)
{
    QElapsedTimer t;
    t.start();
    TDM dm;
    dm.SetHost(QStringLiteral("127.0.0.1"));
    dm.SetPort(port);
    if (!dm.Connect(QString()))
        return -1;
    QByteArray container = mail.toBytes();
    QBuffer b(&container);
    b.open(QIODevice::ReadOnly);
    const int32_t nr = dm.SendFile(QString(), 0, b);
    QStringList lines;
    if (nr <= 0 || !dm.CalculateOrder(TDM::OrderNumberText(nr), lines))
        return -1;
    for (const QString &path : files) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        if (dm.SendFile(TDM::OrderNumberText(nr), mail.FileNumber(path), f) != nr)
            return -1;
    }
    dm.Disconnect();
    return t.nsecsElapsed() / 1e9;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 totalMb = argc > 1 ? std::max(16, QByteArray(argv[1]).toInt()) : 512;
    const qint64 fileSize = 16 * MB;
    const int fileCount = int((totalMb * MB + fileSize - 1) / fileSize);
    QTemporaryDir dir;

    // Photos with incompressible content.
    QStringList files;
    QByteArray chunk(MB, Qt::Uninitialized);
    for (int i = 0; i < fileCount; ++i) {
        const QString path = dir.filePath(QStringLiteral("foto%1.jpg").arg(i));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        for (qint64 done = 0; done < fileSize; done += MB) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
            f.write(chunk);
        }
        files << path;
    }
    const qint64 total = qint64(fileCount) * fileSize;
    chunk = QByteArray();

    TMailFile mail{QString()};
    for (const QString &path : files) {
        TOrderItem item;
        item.Bestand = path;
        item.Formaat = QStringLiteral("A");
        mail.AddOrderItem(item);
    }
    TLabConfig config;
    config.port = 0;
    config.dataFolder = dir.filePath(QStringLiteral("lab"));
    config.catalogue = dir.filePath(QStringLiteral("PenF.dat"));
    config.maxPhotoBytes = 2147483647;
    {
        QFile f(config.catalogue);
        f.open(QIODevice::WriteOnly);
        f.write(penfbytes::nineRecords());
    }
    TLabServerThread server(config);
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "server: %s\n", qPrintable(error));
        return 1;
    }

    // Alternating runs; the best of each counts (the machine is shared).
    double plainBest = 1e300, tdmBest = 1e300;
    qint64 rest = 0, peakGrowth = 0;
    const QString plainTarget = dir.filePath(QStringLiteral("plain.bin"));
    for (int round = 0; round < 3; ++round) {
        plainBest = std::min(plainBest, plainCopy(files, total, plainTarget));
        QFile::remove(plainTarget);
        rest = rssBytes();
        RssSampler sampler;
        const double s = tdmUpload(mail, files, server.port());
        peakGrowth = std::max(peakGrowth, sampler.stop() - rest);
        if (s < 0) {
            std::fprintf(stderr, "upload failed\n");
            return 1;
        }
        tdmBest = std::min(tdmBest, s);
        QDir(config.dataFolder + QStringLiteral("/orders")).removeRecursively();
        QDir().mkpath(config.dataFolder + QStringLiteral("/orders"));
    }
    std::printf("order of %d photos, %lld MB in total\n", fileCount, (long long)(total / MB));
    std::printf("throughput TDM upload / plain socket copy: %.3f (needs >= 0.8)\n", plainBest / tdmBest);
    std::printf("resident memory growth of client and server / 64 MB budget: %.3f (needs < 1)\n",
                double(std::max<qint64>(peakGrowth, 0)) / double(64 * MB));
    std::printf("resident memory at peak / at rest: %.3f\n", double(rest + peakGrowth) / double(rest));
    return 0;
}
