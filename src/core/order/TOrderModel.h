#pragma once
// The open order as a table model: the rows with their TOrderItem records, the pricing
// register, and the edit operations of the main window (add, delete, count, format, paper,
// finish for a set of rows, repricing). The main window's list is a view on it; the widgets
// hold no order state of their own.
//
// Row amounts follow the register: after every operation a row's Prijs is the register's
// price of one print of its format times its count. Rather than rewriting every row of a
// format when that format's price moves (which would make adding n photos of one format cost
// n^2), the model keeps one price per format group and brings a row's Prijs up to date when
// the row is read. Readers always see current amounts.

#include "PrintRater.h"
#include "TOrderItem.h"
#include "app/Definities.h"
#include "app/Feedback.h"
#include "catalogue/UKassa.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <vector>

class TPenFFile;

class TOrderModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColNaam, ColAantal, ColFormaat, ColGlans, ColAfwerking, ColKwaliteit, ColPrijs, ColumnCount };

    TOrderModel(const TPenFFile &catalogue, IPrintRater &rater, QObject *parent = nullptr);

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    TKassa &Kassa() { return m_kassa; }
    const TKassa &Kassa() const { return m_kassa; }
    IPrintRater &Rater() { return m_rater; }

    // The record of a row, its amount up to date.
    const TOrderItem &Item(int row) const;
    // Every record in row order, amounts up to date (for saving, exporting and sending).
    QList<TOrderItem> Items() const;
    int Count() const { return int(m_items.size()); }

    // Replaces the whole order (after loading a file). Amounts stay as given until the next
    // repricing; the register is not touched (RecalculateOrder follows an Open).
    void SetItems(QList<TOrderItem> items);
    // Replaces one record (edits made elsewhere, e.g. the enlarged view); the register is not
    // touched: call RecalculateOrder afterwards.
    void SetItem(int row, const TOrderItem &item);
    // Empties the order and the register.
    void Clear();

    // Adding one photo. Outcome of AddPhoto:
    enum class AddResult { Added, NotStorable, NotJpeg, Dropped };
    // True when the path can be kept in an order exactly (at most 255 Windows-1252 characters).
    static bool PathStorable(const QString &path);
    // Checks and rates the photo through the rater, then adds it as AddCheckedPhoto does.
    AddResult AddPhoto(const QString &path, const TInstellingen &settings, const TOperationHooks &hooks);
    // Adds a photo whose check was done beforehand (a worker pool checks a batch; the rows,
    // prices and messages still come in the files' order). Messages: the JPEG refusal, the
    // path refusal, the rating error text. Returns what happened.
    AddResult AddCheckedPhoto(const QString &path, const TInstellingen &settings, const TPhotoCheck &check,
                              const TOperationHooks &hooks);
    // The format dimensions photos get from these settings, or false when the settings' format
    // is not in the catalogue.
    bool SettingsFormat(const TInstellingen &settings, TFormatDims &dims) const;

    // Removes the rows and their prints from the register, then reprices.
    void DeleteRows(QList<int> rows);
    // Count of the given rows := count, the prints moved in the register, then reprice.
    // Returns false (and leaves the row as it was) when a format's total would pass 65535.
    bool SetCount(const QList<int> &rows, uint16_t count, const TOperationHooks &hooks);
    // Format of the given rows := name, each re-rated (errors shown per row) and its prints
    // moved in the register, with the progress dialog; then every row repriced.
    void SetFormat(const QList<int> &rows, const QString &formatName, bool quiet, const TOperationHooks &hooks);
    // Paper of the given rows: index 0 glossy, 1 matte (only where the row's format offers it).
    void SetPaper(const QList<int> &rows, int index);
    // Finish of the given rows.
    void SetFinish(const QList<int> &rows, TAfwerking afwerking);

    // Every row's amount from the register's price of one print.
    void RepriceRows();
    // Rebuilds the register from the whole order and reprices every row; `hooks.pump()` runs
    // between the three passes.
    void RecalculateOrder(const TOperationHooks &hooks = {});

    // Status bar figures.
    qint64 TotalSize() const { return m_totalSize; }
    TCurrency Total() const { return m_kassa.Total(); }
    QString OrderValueText() const;                    // "Orderwaarde: € 15,95"
    QString UploadTimeText(uint16_t uploadSpeed) const; // "Uploadtijd: 00:47:37"
    // Seconds of the upload estimate: (size / 1024) / (speed / 8), rounded half to even.
    static qint64 UploadSeconds(qint64 totalSize, uint16_t uploadSpeed);

private:
    struct Group {
        TCurrency unit;
        quint64 version = 0;
    };
    struct RowMeta {
        int group = -1;
        uint16_t aantal = 0;        // copy of the item's Aantal: a full recalculation sums these
                                    // without touching the much larger items
        quint64 pricedVersion = 0; // the group version the row's Prijs was computed for
    };

    int groupOf(const QString &formaat);
    int groupOfFolded(const QString &formaat);
    void bringUpToDate(int row) const;
    void setGroupUnit(int group, TCurrency unit);
    bool hasEntry(const QString &formaat) const;
    void rowsChanged(int first, int last, int firstColumn = 0, int lastColumn = ColumnCount - 1);

    IPrintRater &m_rater;
    TKassa m_kassa;
    mutable QList<TOrderItem> m_items;
    mutable std::vector<RowMeta> m_meta;
    std::vector<Group> m_groups;
    QHash<QString, int> m_groupIndex;  // folded name -> group
    QHash<QString, int> m_groupByName; // name as written -> group
    quint64 m_versionCounter = 0;
    qint64 m_totalSize = 0;
};

// Format names are compared without regard to ASCII letter case in the register and groups.
QString AsciiFoldedFormat(const QString &name);
