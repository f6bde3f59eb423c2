// Fuzz target: the order server's side of a whole conversation, as the program's connection
// module reads it. The first byte picks the road (0: an order's upload, 1: the catalogue
// download); the rest is everything the "server" sends, at once, before it closes its side.
// A small listener on 127.0.0.1 plays the server. Every road either completes or fails with
// an error the callers handle; nothing may crash, hang or read past what was sent.
#include "app/Errors.h"
#include "lab/UDataModule.h"

#include <QBuffer>
#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <thread>

namespace {

int g_listener = -1;
int g_port = 0;

void listenOnce()
{
    g_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (g_listener < 0 || ::bind(g_listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0
        || ::listen(g_listener, 4) != 0 || ::getsockname(g_listener, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        std::abort();
    g_port = ntohs(addr.sin_port);
}

// Accepts one connection, sends the script, closes the sending side and reads whatever the
// client sends until it closes, so the client always sees every byte and then the end.
void serveOnce(const uint8_t *data, size_t size)
{
    const int c = ::accept(g_listener, nullptr, nullptr);
    if (c < 0)
        return;
    size_t sent = 0;
    while (sent < size) {
        const ssize_t n = ::send(c, data + sent, size - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += size_t(n);
    }
    ::shutdown(c, SHUT_WR);
    char sink[16384];
    while (::recv(c, sink, sizeof sink, 0) > 0) {
    }
    ::close(c);
}

void uploadRoad(TDM &dm)
{
    if (!dm.Connect(QString()))
        return;
    try {
        dm.GetNewsAndInfo();
        QString serverVersion;
        dm.CheckPFVersion(QStringLiteral("2.1"), serverVersion);
        QByteArray photo(3000, 'x');
        QBuffer file(&photo);
        file.open(QIODevice::ReadOnly);
        dm.SendFile(QStringLiteral("foto.jpg"), 1, file);
        QStringList lines;
        dm.CalculateOrder(QStringLiteral("7"), lines);
        dm.GetReceiveDate(QStringLiteral("7"));
        dm.GetOrderReady(QStringLiteral("7"));
        dm.DeleteOrder(QStringLiteral("7"));
    } catch (const EKiekjesError &) {
    }
    dm.Disconnect();
}

void downloadRoad(TDM &dm)
{
    if (dm.OpenUpdateConnection() != TDM::TUpdateGreeting::Go)
        return;
    try {
        QString version;
        if (dm.AskCatalogueVersion(version) == TDM::TVersionReply::Version) {
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            uint64_t announced = 0;
            qint64 received = 0;
            if (dm.ReceiveCatalogue(out, announced, received)) {
                if (received < 0 || out.size() != received)
                    std::abort();
                dm.ConfirmCatalogue(uint64_t(received) == announced);
            }
        }
    } catch (const EKiekjesError &) {
    }
    dm.CloseUpdateConnection();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static int argc = 1;
    static char name[] = "fuzz_tdm_replies";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = new QCoreApplication(argc, argv);
    (void)app;
    if (g_listener < 0)
        listenOnce();

    std::thread server(serveOnce, data + 1, size - 1);
    {
        TDM dm;
        dm.SetHost(QStringLiteral("127.0.0.1"));
        dm.SetPort(g_port);
        // The script is all there is: a read that waits this long has nothing more coming.
        dm.SetSilenceLimit(2000);
        if (data[0] & 1)
            downloadRoad(dm);
        else
            uploadRoad(dm);
    }
    server.join();
    return 0;
}
