#include "app/SettingsStore.h"

#include "app/Errors.h"

#include <functional>
#include <limits>

namespace {
QString key(const QString &group, const QString &name)
{
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

const QString GroupSettings = QStringLiteral("Settings");
const QString GroupWindow = QStringLiteral("Window");
const QString GroupCustomer = QStringLiteral("Customer");

// Runs one read; on an error keeps the default (the read did not assign) and notes the name.
void guarded(QStringList &bad, const QString &name, const std::function<void()> &read)
{
    try {
        read();
    } catch (const EKiekjesError &) {
        bad << name;
    }
}
} // namespace

TSettingsStore::TSettingsStore()
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Lichtvonk Nu"), QStringLiteral("Kiekjesbode")))
{
}

TSettingsStore::TSettingsStore(const QString &iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

TSettingsStore::~TSettingsStore() = default;

QVariant TSettingsStore::value(const QString &group, const QString &name) const
{
    return m_settings->value(key(group, name));
}

void TSettingsStore::setValue(const QString &group, const QString &name, const QVariant &value)
{
    m_settings->setValue(key(group, name), value);
}

bool TSettingsStore::contains(const QString &group, const QString &name) const
{
    return m_settings->contains(key(group, name));
}

QString TSettingsStore::readString(const QString &group, const QString &name, const QString &def) const
{
    if (!contains(group, name))
        return def;
    const QVariant v = value(group, name);
    // Lists and other structured values are not strings.
    if (v.typeId() == QMetaType::QStringList || v.typeId() == QMetaType::QVariantList
        || v.typeId() == QMetaType::QVariantMap || !v.canConvert<QString>())
        throw EConvertError(QStringLiteral("\"%1\" is geen tekst").arg(name));
    return v.toString();
}

int TSettingsStore::readInt(const QString &group, const QString &name, int def, int min, int max) const
{
    if (!contains(group, name))
        return def;
    const QVariant v = value(group, name);
    bool ok = false;
    qlonglong n = 0;
    if (v.typeId() == QMetaType::QString)
        n = v.toString().trimmed().toLongLong(&ok);
    else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong
             || v.typeId() == QMetaType::UInt || v.typeId() == QMetaType::ULongLong)
        n = v.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
        throw EConvertError(QStringLiteral("\"%1\" is geen geheel getal").arg(name));
    if (n < min || n > max)
        throw ERangeError(QStringLiteral("\"%1\" ligt buiten het bereik %2..%3").arg(name).arg(min).arg(max));
    return int(n);
}

bool TSettingsStore::readBool(const QString &group, const QString &name, bool def) const
{
    return readInt(group, name, def ? 1 : 0, std::numeric_limits<int32_t>::min(),
                   std::numeric_limits<int32_t>::max())
        != 0;
}

void TSettingsStore::writeString(const QString &group, const QString &name, const QString &value)
{
    setValue(group, name, value);
}

void TSettingsStore::writeBool(const QString &group, const QString &name, bool value)
{
    setValue(group, name, value ? 1 : 0);
}

void TSettingsStore::writeInt(const QString &group, const QString &name, int value)
{
    setValue(group, name, value);
}

void TSettingsStore::writeServerAddress(const QString &host, int port)
{
    // Written at every start. When the store already holds exactly these values nothing is
    // written, so a normal start does not rewrite (and sync to disk) the whole file.
    const QVariant storedHost = value(QString(), QStringLiteral("Host"));
    const QVariant storedPort = value(QString(), QStringLiteral("Port"));
    if (storedHost.typeId() == QMetaType::QString && storedHost.toString() == host && storedPort.isValid()
        && storedPort.toString() == QString::number(port))
        return;
    writeString(QString(), QStringLiteral("Host"), host);
    writeInt(QString(), QStringLiteral("Port"), port);
}

QString TSettingsStore::readHost(const QString &fallback) const
{
    return readString(QString(), QStringLiteral("Host"), fallback);
}

int TSettingsStore::readPort(int fallback) const
{
    return readInt(QString(), QStringLiteral("Port"), fallback, 0, 65535);
}

QStringList TSettingsStore::readSettings(TInstellingen &s, QString &pickupLocation, bool &fastService) const
{
    const QString &g = GroupSettings;
    QStringList bad;
    guarded(bad, "PickupLocation", [&] { pickupLocation = readString(g, "PickupLocation", QString()); });
    guarded(bad, "FastService", [&] { fastService = readBool(g, "FastService", false); });
    guarded(bad, "Count", [&] { s.Aantal = uint16_t(readInt(g, "Count", 1, 0, 65535)); });
    guarded(bad, "Size", [&] {
        const QString size = readString(g, "Size", QString());
        if (!size.isEmpty())
            s.Formaat = size;
    });
    guarded(bad, "Glossy", [&] { s.Glans = readBool(g, "Glossy", true); });
    guarded(bad, "Color", [&] {
        s.Afwerking = TAfwerking(readInt(g, "Color", 0, std::numeric_limits<int32_t>::min(),
                                         std::numeric_limits<int32_t>::max()) & 0xFF);
    });
    guarded(bad, "UploadSpeed", [&] { s.UploadSpeed = uint16_t(readInt(g, "UploadSpeed", 56, 0, 65535)); });
    guarded(bad, "SpeedUp", [&] { s.VerhoogSnelheid = readBool(g, "SpeedUp", false); });
    return bad;
}

void TSettingsStore::writeSettings(const TInstellingen &s, const QString &pickupLocation, bool fastService)
{
    const QString &g = GroupSettings;
    writeString(g, "PickupLocation", pickupLocation);
    writeBool(g, "FastService", fastService);
    writeInt(g, "Count", s.Aantal);
    writeString(g, "Size", s.Formaat);
    writeBool(g, "Glossy", s.Glans);
    writeInt(g, "Color", s.Afwerking);
    writeInt(g, "UploadSpeed", s.UploadSpeed);
    writeBool(g, "SpeedUp", s.VerhoogSnelheid);
}

bool TSettingsStore::readMaximized() const
{
    // A damaged value means the normal window, as an absent one does.
    try {
        return readBool(GroupWindow, "Maximized", false);
    } catch (const EKiekjesError &) {
        return false;
    }
}

void TSettingsStore::writeMaximized(bool maximized) { writeBool(GroupWindow, "Maximized", maximized); }

QStringList TSettingsStore::readCustomer(TKlantGegevens &c) const
{
    const QString &g = GroupCustomer;
    QStringList bad;
    auto text = [&](const char *name, QString &field) {
        guarded(bad, name, [&] { field = readString(g, name, QString()); });
    };
    text("Title", c.Titel);
    text("FirstName", c.Voornaam);
    text("Tussenvoegsel", c.Tussenvoegsel);
    text("LastName", c.Achternaam);
    text("Street", c.Straat);
    text("Number", c.Nummer);
    guarded(bad, "ZipCodeDigits", [&] { c.PcCijfers = uint16_t(readInt(g, "ZipCodeDigits", 0, 0, 65535)); });
    guarded(bad, "ZipCodeChars", [&] { c.PcLetters = readString(g, "ZipCodeChars", QString()).left(2); });
    text("Town", c.Plaats);
    text("Telephone", c.Telefoon);
    text("Email", c.Email);
    guarded(bad, "SendMe", [&] { c.Versturen = readBool(g, "SendMe", false); });
    return bad;
}

void TSettingsStore::writeCustomer(const TKlantGegevens &c)
{
    const QString &g = GroupCustomer;
    writeString(g, "Title", c.Titel);
    writeString(g, "FirstName", c.Voornaam);
    writeString(g, "Tussenvoegsel", c.Tussenvoegsel);
    writeString(g, "LastName", c.Achternaam);
    writeString(g, "Street", c.Straat);
    writeString(g, "Number", c.Nummer);
    writeInt(g, "ZipCodeDigits", c.PcCijfers);
    writeString(g, "ZipCodeChars", c.PcLetters.text());
    writeString(g, "Town", c.Plaats);
    writeString(g, "Telephone", c.Telefoon);
    writeString(g, "Email", c.Email);
    writeBool(g, "SendMe", c.Versturen);
}

void TSettingsStore::sync() { m_settings->sync(); }

QSettings::Status TSettingsStore::status() const { return m_settings->status(); }
