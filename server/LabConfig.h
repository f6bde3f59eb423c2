#pragma once
// The lab server's configuration: one JSON file. Paths in it are taken relative to the
// folder of the file.

#include "app/Money.h"

#include <QHostAddress>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

struct TLabConfig {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 4000;
    QString catalogue;          // catalogue file served and priced with; empty: none
    QString dataFolder;         // spool of orders
    QString news = QStringLiteral("Welkom bij het fotolab.");
    // Postage by service (false standard, true fast) and delivery (true posted).
    TCurrency postage[2][2] = {{TCurrency(), TCurrency::fromCents(395)}, {TCurrency(), TCurrency()}};
    int readyHours[2] = {72, 24};
    int maxConnections = 32;
    int idleSeconds = 300;
    qint64 maxPhotoBytes = 64LL * 1024 * 1024;
    qint64 maxContainerBytes = 8LL * 1024 * 1024;
    QSet<QString> blocked;      // peer addresses answered "BLOCKED IP"

    // Reads the file; on failure returns nothing and puts the reason into *error.
    static std::optional<TLabConfig> load(const QString &fileName, QString *error);
    static std::optional<TLabConfig> fromJson(const QByteArray &json, const QString &baseDir, QString *error);
    static QString helpText();
    // The keys the file may hold.
    static QStringList keys();
};
