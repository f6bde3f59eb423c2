#include "LabSpool.h"

#include "app/Errors.h"
#include "app/SaveFile.h"
#include "lab/UMailFile.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {
QString randomTag() { return QString::number(QRandomGenerator::global()->generate64(), 36); }

void writeWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    QString why;
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw EInOutError(path, f.errorString());
    if (!FlushAndCommit(f, why))
        throw EInOutError(path, why);
}

bool renameReplacing(const QString &from, const QString &to)
{
    std::error_code ec;
    std::filesystem::rename(from.toStdString(), to.toStdString(), ec);
    return !ec;
}
} // namespace

TLabSpool::TLabSpool(const QString &dataFolder) : m_root(QDir(dataFolder).absolutePath())
{
    QDir root(m_root);
    if (!root.mkpath(QStringLiteral("orders")) || !root.mkpath(QStringLiteral("staging")))
        throw EInOutError(m_root, QStringLiteral("map kan niet worden gemaakt"));
    for (const QString &o : QDir(m_root + QStringLiteral("/orders")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const int32_t n = o.toInt(&ok);
        if (ok && n >= m_next)
            m_next = n + 1;
    }
    QFile counter(m_root + QStringLiteral("/next-order-number"));
    if (counter.open(QIODevice::ReadOnly)) {
        bool ok = false;
        const int32_t n = counter.read(32).trimmed().toInt(&ok);
        if (ok && n > m_next)
            m_next = n;
    }
}

void TLabSpool::recover()
{
    QDir(m_root + QStringLiteral("/staging")).removeRecursively();
    QDir(m_root).mkpath(QStringLiteral("staging"));
    for (const QString &o : QDir(m_root + QStringLiteral("/orders")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QDir od(m_root + QStringLiteral("/orders/") + o);
        for (const QString &part : od.entryList({QStringLiteral(".part-*")}, QDir::Files | QDir::Hidden))
            od.remove(part);
    }
}

QString TLabSpool::orderFolder(int32_t number) const
{
    return m_root + QStringLiteral("/orders/") + QString::number(number);
}

int32_t TLabSpool::createOrder(const QByteArray &container, TDateTime received)
{
    if (m_next == std::numeric_limits<int32_t>::max())
        throw EIntOverflow(QStringLiteral("Ordernummers zijn op"));
    const int32_t number = m_next;
    // The counter goes first, so a number is never given out twice even after a crash.
    writeWhole(m_root + QStringLiteral("/next-order-number"), QByteArray::number(number + 1));
    m_next = number + 1;

    const QString stage = m_root + QStringLiteral("/staging/") + QString::number(number) + '-' + randomTag();
    if (!QDir().mkpath(stage))
        throw EInOutError(stage, QStringLiteral("map kan niet worden gemaakt"));
    try {
        writeWhole(stage + QStringLiteral("/OrderFile"), container);
        QJsonObject info{{QStringLiteral("received"), received}};
        writeWhole(stage + QStringLiteral("/info.json"), QJsonDocument(info).toJson(QJsonDocument::Compact));
        if (!renameReplacing(stage, orderFolder(number)))
            throw EInOutError(orderFolder(number), QStringLiteral("kan niet worden geplaatst"));
    } catch (...) {
        QDir(stage).removeRecursively();
        throw;
    }
    return number;
}

bool TLabSpool::exists(int32_t number) const
{
    return number > 0 && QFileInfo(orderFolder(number) + QStringLiteral("/OrderFile")).isFile();
}

std::optional<TMailFile> TLabSpool::container(int32_t number) const
{
    QFile f(orderFolder(number) + QStringLiteral("/OrderFile"));
    if (number <= 0 || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return TMailFile::fromBytes(f.readAll());
}

std::optional<TDateTime> TLabSpool::received(int32_t number) const
{
    QFile f(orderFolder(number) + QStringLiteral("/info.json"));
    if (number <= 0 || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonValue v = QJsonDocument::fromJson(f.read(4096)).object().value(QStringLiteral("received"));
    if (!v.isDouble())
        return std::nullopt;
    return v.toDouble();
}

void TLabSpool::deleteOrder(int32_t number)
{
    if (!exists(number))
        return;
    // Out of sight first, then removed.
    const QString gone = m_root + QStringLiteral("/staging/deleted-") + QString::number(number) + '-' + randomTag();
    if (renameReplacing(orderFolder(number), gone))
        QDir(gone).removeRecursively();
}

TLabSpool::TIncomingPhoto::~TIncomingPhoto()
{
    if (!m_done)
        m_file.remove();
}

bool TLabSpool::TIncomingPhoto::write(const char *data, qint64 n) { return m_file.write(data, n) == n; }

bool TLabSpool::TIncomingPhoto::commit()
{
    if (!m_file.flush())
        return false;
    m_file.close();
    if (!renameReplacing(m_file.fileName(), m_final))
        return false;
    m_done = true;
    return true;
}

std::unique_ptr<TLabSpool::TIncomingPhoto> TLabSpool::beginPhoto(int32_t number, uint16_t fileNumber)
{
    auto photo = std::unique_ptr<TIncomingPhoto>(new TIncomingPhoto);
    const QString folder = orderFolder(number);
    photo->m_final = folder + '/' + QString::number(fileNumber);
    photo->m_file.setFileName(folder + QStringLiteral("/.part-") + QString::number(fileNumber) + '-' + randomTag());
    if (!photo->m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return nullptr;
    return photo;
}

bool TLabSpool::hasPhoto(int32_t number, uint16_t fileNumber) const
{
    return QFileInfo(orderFolder(number) + '/' + QString::number(fileNumber)).isFile();
}

std::vector<TSpoolOrder> TLabSpool::orders() const
{
    std::vector<TSpoolOrder> out;
    for (const QString &o : QDir(m_root + QStringLiteral("/orders")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const int32_t n = o.toInt(&ok);
        if (!ok || QString::number(n) != o)
            continue;
        const auto mail = container(n);
        if (!mail)
            continue;
        TSpoolOrder s;
        s.Number = n;
        s.Received = received(n).value_or(0);
        const TKlantGegevens k = mail->Customer();
        s.Customer = QStringList{k.Voornaam, k.Tussenvoegsel, k.Achternaam}.join(' ').simplified();
        s.Fast = k.Snelservice;
        for (const TMailPhoto &p : mail->Photos()) {
            ++s.Files;
            if (hasPhoto(n, p.FileNumber))
                ++s.Arrived;
        }
        out.push_back(s);
    }
    std::sort(out.begin(), out.end(), [](const TSpoolOrder &a, const TSpoolOrder &b) { return a.Number < b.Number; });
    return out;
}
