#pragma once
// What the server needs from its catalogue: whether one is loaded, its version text, the
// file to hand out, and the price lines of an order. The calculation adds the subtotal,
// postage by service and delivery, the separator and the total.

#include "LabConfig.h"

#include "app/Money.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class TMailFile;

struct TCalcLine {
    QString Name;
    QString F0;
    QString F1;
    TCurrency Amount;
};

class TLabCatalogue {
public:
    virtual ~TLabCatalogue() = default;
    virtual bool available() const = 0;
    // Empty while a new catalogue is being put in place.
    virtual QString versionText() const = 0;
    virtual QByteArray fileBytes() const = 0;
    // One line per distinct print choice of the order.
    virtual std::vector<TCalcLine> orderLines(const TMailFile &order) const = 0;
};

// The catalogue file as bytes, with unit prices by format name from the configuration.
class TConfigCatalogue : public TLabCatalogue {
public:
    explicit TConfigCatalogue(const TLabConfig &config);
    bool available() const override { return m_loaded; }
    QString versionText() const override { return m_version; }
    QByteArray fileBytes() const override { return m_bytes; }
    std::vector<TCalcLine> orderLines(const TMailFile &order) const override;
    QString loadError() const { return m_error; }

private:
    const TLabConfig &m_config;
    QByteArray m_bytes;
    QString m_version;
    QString m_error;
    bool m_loaded = false;
};

// The whole answer to a calculation request, as "Name=F0;F1;F2" lines.
QStringList CalculationLines(const TLabCatalogue &catalogue, const TLabConfig &config, const TMailFile &order);
