#pragma once
// The server's order spool: one folder per order under <data>/orders/<number>/ with the
// upload container "OrderFile", "info.json" (receipt time) and the photos by file number.
// Every file appears by an atomic rename; order numbers are persistent and increase.

#include "app/DateTime.h"

#include <QFile>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class TMailFile;

struct TSpoolOrder {
    int32_t Number = 0;
    TDateTime Received = 0;
    QString Customer;
    bool Fast = false;
    int Files = 0;
    int Arrived = 0;
    bool complete() const { return Arrived == Files; }
};

class TLabSpool {
public:
    static constexpr int32_t FirstOrderNumber = 1001;

    // Creates the folders when missing. Throws EInOutError.
    explicit TLabSpool(const QString &dataFolder);
    // Removes what a server that stopped half-way left behind: staged orders and photos
    // being received. Only for the server that holds the folder's lock; the orders listing
    // never calls it, so it can run beside a working server.
    void recover();

    // Stores a validated container as a new order and returns its number.
    int32_t createOrder(const QByteArray &container, TDateTime received);
    bool exists(int32_t number) const;
    std::optional<TMailFile> container(int32_t number) const;
    std::optional<TDateTime> received(int32_t number) const;
    void deleteOrder(int32_t number);

    // A photo being received: written to a staging file in the order's folder, put in place
    // by commit(); removed when destroyed before.
    class TIncomingPhoto {
    public:
        ~TIncomingPhoto();
        bool write(const char *data, qint64 n);
        bool commit();
    private:
        friend class TLabSpool;
        QFile m_file;
        QString m_final;
        bool m_done = false;
    };
    std::unique_ptr<TIncomingPhoto> beginPhoto(int32_t number, uint16_t fileNumber);
    bool hasPhoto(int32_t number, uint16_t fileNumber) const;

    std::vector<TSpoolOrder> orders() const;
    QString orderFolder(int32_t number) const;

private:
    QString m_root;
    int32_t m_next = FirstOrderNumber;
};
