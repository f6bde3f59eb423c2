#pragma once
// What the server needs from its catalogue: whether one is loaded, its version text, the
// file to hand out, and the price lines of an order. The calculation adds the subtotal,
// postage by service and delivery, the separator and the total.

#include "LabConfig.h"

#include "app/Money.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TMailFile;
class TPenFFile;

struct TCalcLine {
    QString Name;
    QString F0;
    QString F1;
    TCurrency Amount;
};

class TLabCatalogue {
public:
    virtual ~TLabCatalogue() = default;
    // Looks whether the catalogue file has been replaced and takes the new one in.
    virtual void refresh() {}
    virtual bool available() const = 0;
    // Empty while a new catalogue is being put in place.
    virtual QString versionText() const = 0;
    virtual QByteArray fileBytes() const = 0;
    // One line per format of the order; nothing when the order cannot be priced.
    virtual std::vector<TCalcLine> orderLines(const TMailFile &order) const = 0;
};

// The catalogue file read with TPenFFile and priced with TKassa. When the file changes on
// disk the new one is read; while it cannot be read (still being copied in) the version is
// empty and the previous file is not handed out either.
class TPenFCatalogue : public TLabCatalogue {
public:
    explicit TPenFCatalogue(const QString &fileName);
    ~TPenFCatalogue() override;
    void refresh() override;
    bool available() const override { return m_penf != nullptr; }
    QString versionText() const override { return m_replacing ? QString() : m_version; }
    QByteArray fileBytes() const override { return m_bytes; }
    std::vector<TCalcLine> orderLines(const TMailFile &order) const override;
    QString loadError() const { return m_error; }

private:
    bool load();

    QString m_fileName;
    std::unique_ptr<TPenFFile> m_penf;
    QByteArray m_bytes;
    QString m_version;
    QString m_error;
    QDateTime m_modified;
    qint64 m_size = -1;
    bool m_replacing = false;
};

// The whole answer to a calculation request, as "Name=F0;F1;F2" lines; empty when the
// order cannot be priced.
QStringList CalculationLines(const TLabCatalogue &catalogue, const TLabConfig &config, const TMailFile &order);
