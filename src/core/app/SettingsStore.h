#pragma once
// The per-user settings store: the root values "Host" and "Port" and the groups "Settings",
// "Window" and "Customer", with their types and defaults. Realised over QSettings
// (organisation "Lichtvonk Nu", application "Kiekjesbode"); tests give it an INI file.
//
// Each single read returns the default when the value is absent and raises EConvertError
// for a value of the wrong type and ERangeError for one outside its range, so a caller can
// catch per value. The group readers do that for every value: a bad value keeps its default
// and its name is returned, so the caller can show one message.

#include "app/Definities.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>

class TSettingsStore {
public:
    static constexpr int DefaultPort = 4000;

    // The user's own store.
    TSettingsStore();
    // A store in an INI file (tests, portable use).
    explicit TSettingsStore(const QString &iniFile);
    ~TSettingsStore();

    // Root values.
    void writeServerAddress(const QString &host, int port = DefaultPort);
    QString readHost(const QString &fallback) const;
    int readPort(int fallback = DefaultPort) const;

    // Single values of a group ("" for the root). Booleans are stored as 1 or 0 and read as
    // true when not 0.
    QString readString(const QString &group, const QString &name, const QString &def) const;
    bool readBool(const QString &group, const QString &name, bool def) const;
    int readInt(const QString &group, const QString &name, int def, int min, int max) const;
    bool contains(const QString &group, const QString &name) const;

    void writeString(const QString &group, const QString &name, const QString &value);
    void writeBool(const QString &group, const QString &name, bool value);
    void writeInt(const QString &group, const QString &name, int value);

    // "Settings": the print defaults, the pickup location and the fast service. An empty
    // "Size" keeps settings.Formaat as given (the caller puts in the standard format).
    QStringList readSettings(TInstellingen &settings, QString &pickupLocation, bool &fastService) const;
    void writeSettings(const TInstellingen &settings, const QString &pickupLocation, bool fastService);

    // "Window": "Maximized".
    bool readMaximized() const;
    void writeMaximized(bool maximized);

    // "Customer": every stored field of the customer details (not Snelservice and
    // Afhaallocatie, which follow each new order).
    QStringList readCustomer(TKlantGegevens &customer) const;
    void writeCustomer(const TKlantGegevens &customer);

    void sync();
    QSettings::Status status() const;

private:
    QVariant value(const QString &group, const QString &name) const;
    void setValue(const QString &group, const QString &name, const QVariant &value);

    std::unique_ptr<QSettings> m_settings;
};
