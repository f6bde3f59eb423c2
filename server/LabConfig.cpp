#include "LabConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
struct Failure {
    QString why;
};

TCurrency amount(const QJsonValue &v, const QString &where)
{
    if (v.isUndefined() || v.isNull())
        return TCurrency();
    const auto parsed = v.isString() ? money::parseAmount(v.toString()) : std::nullopt;
    if (!parsed || parsed->raw() < 0)
        throw Failure{QStringLiteral("%1: een bedrag als tekst verwacht, zoals \"3,95\"").arg(where)};
    return *parsed;
}

qint64 number(const QJsonObject &o, const char *name, qint64 def, qint64 min, qint64 max)
{
    const QJsonValue v = o.value(QLatin1String(name));
    if (v.isUndefined())
        return def;
    const double d = v.toDouble(-1);
    if (!v.isDouble() || d != double(qint64(d)) || d < double(min) || d > double(max))
        throw Failure{QStringLiteral("%1: een geheel getal van %2 tot %3 verwacht").arg(QLatin1String(name)).arg(min).arg(max)};
    return qint64(d);
}

QString path(const QJsonObject &o, const char *name, const QString &baseDir, const QString &def)
{
    const QString p = o.value(QLatin1String(name)).toString(def);
    if (p.isEmpty())
        return p;
    return QDir::cleanPath(QDir(baseDir).absoluteFilePath(p));
}
} // namespace

std::optional<TLabConfig> TLabConfig::fromJson(const QByteArray &json, const QString &baseDir, QString *error)
{
    QJsonParseError perr;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &perr);
    if (!doc.isObject()) {
        if (error)
            *error = QStringLiteral("geen geldig JSON-object: %1").arg(perr.errorString());
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    TLabConfig c;
    try {
        const QStringList known = keys();
        for (const QString &key : o.keys())
            if (!known.contains(key))
                throw Failure{QStringLiteral("onbekende sleutel \"%1\"").arg(key)};
        if (o.contains("listen")) {
            if (!c.address.setAddress(o.value("listen").toString()))
                throw Failure{QStringLiteral("listen: geen IP-adres")};
        }
        c.port = quint16(number(o, "port", 4000, 0, 65535));
        c.catalogue = path(o, "catalogue", baseDir, QString());
        c.dataFolder = path(o, "dataFolder", baseDir, QStringLiteral("lab-data"));
        c.news = o.value("news").toString(c.news);
        const QJsonObject postage = o.value("postage").toObject();
        const char *services[2] = {"standard", "fast"};
        for (int s = 0; s < 2; ++s) {
            const QJsonObject byService = postage.value(QLatin1String(services[s])).toObject();
            if (byService.contains("collect"))
                c.postage[s][0] = amount(byService.value("collect"), QStringLiteral("postage.%1.collect").arg(services[s]));
            if (byService.contains("post"))
                c.postage[s][1] = amount(byService.value("post"), QStringLiteral("postage.%1.post").arg(services[s]));
        }
        const QJsonObject ready = o.value("readyHours").toObject();
        c.readyHours[0] = int(number(ready, "standard", 72, 0, 24 * 365));
        c.readyHours[1] = int(number(ready, "fast", 24, 0, 24 * 365));
        const QJsonObject limits = o.value("limits").toObject();
        c.maxConnections = int(number(limits, "maxConnections", c.maxConnections, 1, 10000));
        c.idleSeconds = int(number(limits, "idleSeconds", c.idleSeconds, 1, 86400));
        c.maxPhotoBytes = number(limits, "maxPhotoBytes", c.maxPhotoBytes, 0, 2147483647);
        c.maxContainerBytes = number(limits, "maxContainerBytes", c.maxContainerBytes, 3264, 2147483647);
        for (const QJsonValue &b : o.value("blocked").toArray()) {
            QHostAddress a;
            if (!a.setAddress(b.toString()))
                throw Failure{QStringLiteral("blocked: \"%1\" is geen IP-adres").arg(b.toString())};
            c.blocked.insert(a.toString());
        }
    } catch (const Failure &f) {
        if (error)
            *error = f.why;
        return std::nullopt;
    }
    return c;
}

std::optional<TLabConfig> TLabConfig::load(const QString &fileName, QString *error)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly) || f.size() > 1024 * 1024) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(fileName, f.errorString());
        return std::nullopt;
    }
    auto c = fromJson(f.readAll(), QFileInfo(fileName).absolutePath(), error);
    if (!c && error)
        *error = QStringLiteral("%1: %2").arg(fileName, *error);
    return c;
}

QStringList TLabConfig::keys()
{
    return {"listen", "port", "catalogue", "dataFolder", "news", "postage", "readyHours", "limits", "blocked"};
}

QString TLabConfig::helpText()
{
    return QStringLiteral(R"(kiekjesbode-lab - the laboratory's order server

Usage:
  kiekjesbode-lab [--config FILE] [--listen ADDRESS] [--port N] [--catalogue FILE]
  kiekjesbode-lab orders [--config FILE]     list the orders in the spool with their state
  kiekjesbode-lab --help

The configuration is one JSON object (default: lab.json in the current folder). Every key is
optional; paths are relative to the folder of the file.
  "listen"            address to listen on (default "127.0.0.1")
  "port"              port to listen on (default 4000; 0 picks a free port, which is printed)
  "catalogue"         the catalogue file (PenF.dat) served to clients and used for pricing;
                      without one every greeting is answered "NO PENF AVAILABLE". When the
                      file is replaced on disk the new one is taken in; while it cannot be
                      read yet the version is reported empty ("RETRY" to a download)
  "dataFolder"        the spool of orders (default "lab-data"): orders/<number>/ holds the
                      upload container "OrderFile", "info.json" and the photos by file number
  "news"              the news line sent to every client
  "postage"           by service and delivery, amounts as text with a decimal comma:
                      {"standard": {"post": "3,95", "collect": "0,00"},
                       "fast": {"collect": "0,00"}}   (fast-service prints are always collected)
  "readyHours"        hours from receipt until the prints are ready: {"standard": 72, "fast": 24}
                      Print prices come from the catalogue, with the order's service.
  "limits"            {"maxConnections": 32, "idleSeconds": 300,
                       "maxPhotoBytes": 67108864, "maxContainerBytes": 8388608}
  "blocked"           list of client addresses answered "BLOCKED IP"

A stop signal (SIGINT, SIGTERM) stops gracefully: new greetings are answered "SHUTTING DOWN"
and the server ends when the open connections have finished (at most 30 seconds).
)");
}
