// kiekjesbode-lab: the laboratory's order server.
#include "LabConfig.h"
#include "LabServer.h"
#include "LabSpool.h"

#include "app/DateTime.h"
#include "app/Errors.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>

namespace {
std::atomic_bool stopRequested{false};
void onSignal(int) { stopRequested = true; }

int fail(const QString &text)
{
    std::fprintf(stderr, "kiekjesbode-lab: %s\n", qPrintable(text));
    return 2;
}

int listOrders(const TLabConfig &config)
{
    const TLabSpool spool(config.dataFolder);
    std::printf("%-10s %-19s %-14s %-8s %s\n", "order", "ontvangen", "service", "foto's", "status");
    for (const TSpoolOrder &o : spool.orders()) {
        const QString when = datetime::toQDateTime(o.Received).toString(QStringLiteral("dd-MM-yyyy hh:mm:ss"));
        const QString state = o.complete() ? QStringLiteral("compleet") : QStringLiteral("onvolledig");
        std::printf("%-10d %-19s %-14s %3d/%-4d %s  %s\n", o.Number, qPrintable(when),
                    o.Fast ? "Snelservice" : "Standaard", o.Arrived, o.Files, qPrintable(state),
                    qPrintable(o.Customer));
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString configFile = QStringLiteral("lab.json");
    bool orders = false;
    QString listen;
    QString catalogue;
    int port = -1;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::printf("%s", qPrintable(TLabConfig::helpText()));
            return 0;
        } else if (a == QLatin1String("orders") && i == 0) {
            orders = true;
        } else if (a == QLatin1String("--config") && i + 1 < args.size()) {
            configFile = args[++i];
        } else if (a == QLatin1String("--catalogue") && i + 1 < args.size()) {
            catalogue = args[++i];
        } else if (a == QLatin1String("--listen") && i + 1 < args.size()) {
            listen = args[++i];
        } else if (a == QLatin1String("--port") && i + 1 < args.size()) {
            bool ok = false;
            port = args[++i].toInt(&ok);
            if (!ok || port < 0 || port > 65535)
                return fail(QStringLiteral("--port: 0 tot 65535 verwacht"));
        } else {
            return fail(QStringLiteral("onbekend argument \"%1\" (zie --help)").arg(a));
        }
    }
    QString error;
    auto config = TLabConfig::load(configFile, &error);
    if (!config)
        return fail(error);
    if (!listen.isEmpty() && !config->address.setAddress(listen))
        return fail(QStringLiteral("--listen: geen IP-adres"));
    if (port >= 0)
        config->port = quint16(port);
    if (!catalogue.isEmpty())
        config->catalogue = QFileInfo(catalogue).absoluteFilePath();

    try {
        if (orders)
            return listOrders(*config);
        auto penf = std::make_unique<TPenFCatalogue>(config->catalogue);
        if (!penf->available())
            std::fprintf(stderr, "kiekjesbode-lab: geen catalogus geladen (%s); elke groet krijgt NO PENF AVAILABLE\n",
                         qPrintable(penf->loadError().isEmpty() ? QStringLiteral("geen bestand ingesteld") : penf->loadError()));
        TLabServer server(*config, std::move(penf));
        server.setLog([](const QString &line) {
            const QString when = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            std::printf("%s %s\n", qPrintable(when), qPrintable(line));
            std::fflush(stdout);
        });
        if (!server.listen(&error))
            return fail(error);
        std::printf("kiekjesbode-lab luistert op %s:%u\n", qPrintable(config->address.toString()), server.port());
        std::fflush(stdout);

        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &server, [&] {
            if (stopRequested.exchange(false)) {
                server.beginShutdown();
                QTimer::singleShot(30000, &app, &QCoreApplication::quit);
            }
        });
        poll.start(200);
        QObject::connect(&server, &TLabServer::finished, &app, &QCoreApplication::quit);
        return app.exec();
    } catch (const EKiekjesError &e) {
        return fail(e.message());
    }
}
