#include "TOrderModel.h"

#include "app/AnsiString.h"
#include "app/Errors.h"
#include "catalogue/UPenF.h"

#include <QFileInfo>
#include <algorithm>

QString AsciiFoldedFormat(const QString &name)
{
    QString out = name;
    for (QChar &c : out) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return out;
}

namespace {

int columnAlignment(int column)
{
    switch (column) {
    case TOrderModel::ColNaam: return int(Qt::AlignLeft | Qt::AlignVCenter);
    case TOrderModel::ColAantal:
    case TOrderModel::ColPrijs: return int(Qt::AlignRight | Qt::AlignVCenter);
    default: return int(Qt::AlignCenter);
    }
}

// The amount of count prints at a unit price. A price so large that the product leaves the
// money range (only a damaged catalogue has one) counts as no price.
TCurrency amountOf(TCurrency unit, uint16_t count)
{
    try {
        return unit.checkedMul(count);
    } catch (const EIntOverflow &) {
        return TCurrency::missing() * count;
    }
}

} // namespace

TOrderModel::TOrderModel(const TPenFFile &catalogue, IPrintRater &rater, QObject *parent)
    : QAbstractTableModel(parent), m_rater(rater), m_kassa(catalogue)
{
}

int TOrderModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

int TOrderModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TOrderModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_items.size()))
        return {};
    if (role == Qt::TextAlignmentRole)
        return columnAlignment(index.column());
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const TOrderItem &it = Item(index.row());
    if (role == Qt::ToolTipRole)
        return index.column() == ColNaam ? QVariant(it.Bestand) : QVariant();
    switch (index.column()) {
    case ColNaam: return it.Naam;
    case ColAantal: return QString::number(it.Aantal);
    case ColFormaat: return it.Formaat;
    case ColGlans: return PaperName(it.isGlans());
    case ColAfwerking: return it.Afwerking < AfwerkingCount ? AfwerkingListText(it.Afwerking) : QString();
    case ColKwaliteit: return it.Kwaliteit < QualityCount ? QualityName(it.Kwaliteit) : QString();
    case ColPrijs: return money::formatAmount(it.Prijs);
    }
    return {};
}

QVariant TOrderModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return OrderColumnCaptions().at(section);
    if (role == Qt::TextAlignmentRole)
        return columnAlignment(section);
    return {};
}

int TOrderModel::groupOf(const QString &formaat)
{
    // Most rows carry a name exactly as seen before: look that up without folding it.
    const auto exact = m_groupByName.constFind(formaat);
    if (exact != m_groupByName.constEnd())
        return exact.value();
    const int g = groupOfFolded(formaat);
    m_groupByName.insert(formaat, g);
    return g;
}

int TOrderModel::groupOfFolded(const QString &formaat)
{
    const QString key = AsciiFoldedFormat(formaat);
    const auto it = m_groupIndex.constFind(key);
    if (it != m_groupIndex.constEnd())
        return it.value();
    const int g = int(m_groups.size());
    m_groups.push_back(Group{});
    m_groupIndex.insert(key, g);
    return g;
}

void TOrderModel::bringUpToDate(int row) const
{
    RowMeta &meta = m_meta[size_t(row)];
    const Group &g = m_groups[size_t(meta.group)];
    if (meta.pricedVersion != g.version) {
        TOrderItem &item = m_items[row];
        item.Prijs = amountOf(g.unit, item.Aantal);
        meta.pricedVersion = g.version;
    }
}

void TOrderModel::setGroupUnit(int group, TCurrency unit)
{
    Group &g = m_groups[size_t(group)];
    g.unit = unit;
    g.version = ++m_versionCounter;
}

const TOrderItem &TOrderModel::Item(int row) const
{
    bringUpToDate(row);
    return m_items.at(row);
}

QList<TOrderItem> TOrderModel::Items() const
{
    for (int r = 0; r < int(m_items.size()); ++r)
        bringUpToDate(r);
    return m_items;
}

void TOrderModel::rowsChanged(int first, int last, int firstColumn, int lastColumn)
{
    if (first <= last)
        emit dataChanged(index(first, firstColumn), index(last, lastColumn));
}

void TOrderModel::SetItems(QList<TOrderItem> items)
{
    beginResetModel();
    m_items = std::move(items);
    m_meta.assign(size_t(m_items.size()), RowMeta{});
    m_totalSize = 0;
    // Rows read from an order file share one text per format name: a few recent texts,
    // recognised by their data, find their group without folding and hashing the name.
    struct Recent {
        const QChar *data = nullptr;
        qsizetype size = -1;
        int group = -1;
    };
    Recent recent[8];
    int nextRecent = 0;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        const TOrderItem &it = std::as_const(m_items)[i];
        int group = -1;
        for (const Recent &r : recent) {
            if (r.data == it.Formaat.constData() && r.size == it.Formaat.size() && r.group >= 0) {
                group = r.group;
                break;
            }
        }
        if (group < 0) {
            group = groupOf(it.Formaat);
            recent[nextRecent] = {it.Formaat.constData(), it.Formaat.size(), group};
            nextRecent = (nextRecent + 1) % 8;
        }
        m_meta[size_t(i)] = RowMeta{group, it.Aantal, m_groups[size_t(group)].version};
        m_totalSize += it.Grootte;
    }
    endResetModel();
}

void TOrderModel::SetItem(int row, const TOrderItem &item)
{
    TOrderItem &current = m_items[row];
    m_totalSize += item.Grootte - current.Grootte;
    current = item;
    const int group = groupOf(item.Formaat);
    m_meta[size_t(row)] = RowMeta{group, item.Aantal, m_groups[size_t(group)].version};
    rowsChanged(row, row);
}

void TOrderModel::Clear()
{
    beginResetModel();
    m_items.clear();
    m_meta.clear();
    m_groups.clear();
    m_groupIndex.clear();
    m_groupByName.clear();
    m_totalSize = 0;
    m_kassa.Clear();
    endResetModel();
}

bool TOrderModel::PathStorable(const QString &path)
{
    return ansi::fitsExactly(path, 255);
}

bool TOrderModel::SettingsFormat(const TInstellingen &settings, TFormatDims &dims) const
{
    return !settings.Formaat.isEmpty() && m_rater.FindFormat(settings.Formaat, dims);
}

TOrderModel::AddResult TOrderModel::AddPhoto(const QString &path, const TInstellingen &settings,
                                             const TOperationHooks &hooks)
{
    TPhotoCheck check;
    if (PathStorable(path)) {
        TFormatDims dims;
        const bool known = SettingsFormat(settings, dims);
        check = m_rater.CheckPhoto(path, known ? &dims : nullptr);
    }
    return AddCheckedPhoto(path, settings, check, hooks);
}

TOrderModel::AddResult TOrderModel::AddCheckedPhoto(const QString &path, const TInstellingen &settings,
                                                    const TPhotoCheck &check, const TOperationHooks &hooks)
{
    // A path the order file cannot hold exactly would later point at another file.
    if (!PathStorable(path)) {
        hooks.message(QStringLiteral("\"") + path
                      + QStringLiteral("\"\rkan niet aan de order worden toegevoegd: het pad is langer dan 255 tekens "
                                       "of bevat tekens die in een orderbestand niet bewaard kunnen worden."));
        return AddResult::NotStorable;
    }
    if (!check.IsJpeg) {
        hooks.message(QStringLiteral("\"") + path + QStringLiteral("\"\ris geen geldige JPEG-afbeelding."));
        return AddResult::NotJpeg;
    }

    TOrderItem item;
    item.Bestand = path;
    item.Naam = ansi::cut(OrderItemNaam(path), 255);
    item.Afwerking = settings.Afwerking;
    item.Glans = settings.Glans ? 1 : 0;
    item.Aantal = settings.Aantal;
    item.ReservedFlag = 0;
    TFormatDims dims;
    if (SettingsFormat(settings, dims)) {
        item.Formaat = ansi::cut(settings.Formaat, 255);
        item.Lengte = ItemLengte(dims);
        item.Kwaliteit = check.Rating.Kwaliteit;
        item.Lengte = check.Rating.Lengte;
        if (check.Rating.ErrorCode != 0)
            hooks.message(m_rater.ErrorText(check.Rating.ErrorCode));
    } else {
        item.Formaat.clear();
        item.Kwaliteit = QualityUnknown;
    }
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return AddResult::Dropped;
    item.Grootte = info.size();

    TCurrency unit;
    try {
        unit = m_kassa.AddPrints(item.Formaat, item.Aantal);
    } catch (const EIntOverflow &) {
        hooks.message(QStringLiteral("\"") + path
                      + QStringLiteral("\"\rkan niet worden toegevoegd: een order kan ten hoogste 65535 afdrukken "
                                       "van één formaat bevatten."));
        return AddResult::Dropped;
    }
    item.Prijs = amountOf(unit, item.Aantal);

    const int row = int(m_items.size());
    const int group = groupOf(item.Formaat);
    setGroupUnit(group, unit);
    m_totalSize += item.Grootte;
    beginInsertRows(QModelIndex(), row, row);
    m_meta.push_back(RowMeta{group, item.Aantal, m_groups[size_t(group)].version});
    m_items.append(std::move(item));
    endInsertRows();
    // The new total may have moved every row of this format to another tier.
    rowsChanged(0, row - 1, ColPrijs, ColPrijs);
    return AddResult::Added;
}

void TOrderModel::DeleteRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= int(m_items.size()))
            continue;
        const TOrderItem &it = std::as_const(m_items)[row];
        try {
            m_kassa.RemovePrints(it.Formaat, it.Aantal);
        } catch (const EKiekjesError &) {
            // The register did not hold these prints; nothing to take away.
        }
    }
    // Remove from the end so the row numbers still to remove stay valid; contiguous runs
    // go in one step.
    int i = int(rows.size()) - 1;
    while (i >= 0) {
        const int last = rows[i];
        int first = last;
        while (i > 0 && rows[i - 1] == first - 1) {
            --i;
            first = rows[i];
        }
        --i;
        if (last < 0 || last >= int(m_items.size()))
            continue;
        beginRemoveRows(QModelIndex(), first, last);
        for (int r = first; r <= last; ++r)
            m_totalSize -= std::as_const(m_items)[r].Grootte;
        m_items.remove(first, last - first + 1);
        m_meta.erase(m_meta.begin() + first, m_meta.begin() + last + 1);
        endRemoveRows();
    }
    RepriceRows();
}

bool TOrderModel::SetCount(const QList<int> &rows, uint16_t count, const TOperationHooks &hooks)
{
    bool ok = true;
    for (int row : rows) {
        TOrderItem &it = m_items[row];
        const uint16_t old = it.Aantal;
        if (old == count)
            continue;
        try {
            if (count < old)
                m_kassa.RemovePrints(it.Formaat, old - count);
            else
                m_kassa.AddPrints(it.Formaat, count - old);
            it.Aantal = count;
            m_meta[size_t(row)].aantal = count;
        } catch (const EIntOverflow &) {
            ok = false;
        } catch (const ERangeError &) {
            ok = false;
        }
    }
    if (!ok)
        hooks.message(QStringLiteral("Het aantal kan niet worden gewijzigd: een order kan ten hoogste 65535 "
                                     "afdrukken van één formaat bevatten."));
    RepriceRows();
    return ok;
}

bool TOrderModel::hasEntry(const QString &formaat) const
{
    const QString key = AsciiFoldedFormat(formaat);
    const auto &entries = m_kassa.Aanslagen();
    return std::any_of(entries.begin(), entries.end(),
                       [&](const TAanslag &a) { return AsciiFoldedFormat(a.Formaat) == key; });
}

void TOrderModel::SetFormat(const QList<int> &rows, const QString &formatName, bool quiet, const TOperationHooks &hooks)
{
    const QString text = QStringLiteral("Formaat wijzigen...");
    TFormatDims dims;
    const bool known = m_rater.FindFormat(formatName, dims);
    const int n = int(rows.size());
    hooks.setProgress(0, text, ApplicationTitle());
    if (!quiet)
        hooks.pump();
    for (int k = 1; k <= n; ++k) {
        const int row = rows[k - 1];
        TOrderItem &it = m_items[row];
        const QString old = it.Formaat;
        it.Formaat = ansi::cut(formatName, 255);
        if (known) {
            RateItem(it, dims, m_rater, hooks);
        } else {
            it.Lengte = 0.0;
            it.Kwaliteit = QualityUnknown;
        }
        // Rows whose old format the register does not hold (it left the catalogue) have no
        // prints to move: they are added to the new format instead.
        try {
            if (hasEntry(old))
                m_kassa.ChangeFormat(old, it.Formaat, it.Aantal);
            else
                m_kassa.AddPrints(it.Formaat, it.Aantal);
        } catch (const EKiekjesError &e) {
            hooks.message(e.message());
        }
        m_meta[size_t(row)] = RowMeta{groupOf(it.Formaat), it.Aantal, 0};
        hooks.setProgress(int(Round(double(k) / n * 1000.0)), text);
        if (!quiet)
            hooks.pump();
    }
    hooks.setProgress(1000, QStringLiteral("Formaten gewijzigd."));
    hooks.setProgress(0, QStringLiteral("Orderlijst bijgewerken..."));
    RepriceRows();
    // Repricing itself is one step here; the dialog still walks the list's rows.
    const int m = int(m_items.size());
    for (int r = 1; r <= m; ++r) {
        hooks.setProgress(int(Round(double(r) / m * 1000.0)), QStringLiteral("Orderlijst bijgewerken..."));
        if (!quiet)
            hooks.pump();
    }
    hooks.setProgress(1000, QStringLiteral("Orderlijst bijgewerkt."));
    if (!quiet)
        hooks.pump();
    hooks.hideProgress();
}

void TOrderModel::SetPaper(const QList<int> &rows, int index)
{
    if (index != 0 && index != 1)
        return;
    for (int row : rows) {
        TOrderItem &it = m_items[row];
        TFormatDims dims;
        const bool choice = m_rater.FindFormat(it.Formaat, dims) && dims.GlansMatKeuze;
        it.Glans = (index == 1 && choice) ? 0 : 1;
        rowsChanged(row, row, ColGlans, ColGlans);
    }
}

void TOrderModel::SetFinish(const QList<int> &rows, TAfwerking afwerking)
{
    if (afwerking >= AfwerkingCount)
        return;
    for (int row : rows) {
        m_items[row].Afwerking = afwerking;
        rowsChanged(row, row, ColAfwerking, ColAfwerking);
    }
}

void TOrderModel::RepriceRows()
{
    for (auto it = m_groupIndex.constBegin(); it != m_groupIndex.constEnd(); ++it) {
        // The register looks formats up ignoring ASCII case, so the folded key finds the entry.
        setGroupUnit(it.value(), m_kassa.UnitPrice(it.key()));
    }
    rowsChanged(0, int(m_items.size()) - 1);
}

void TOrderModel::RecalculateOrder(const TOperationHooks &hooks)
{
    m_kassa.Clear();
    hooks.pump();
    // The register's entries come in the order the formats first appear and hold each
    // format's total. Adding each format's sum once gives the same register as adding row by
    // row, with one catalogue look-up per format instead of one per row. A format whose sum
    // passes the register's limit is added row by row, so the rows that fit still count.
    std::vector<int64_t> sums(m_groups.size(), 0);
    std::vector<int> firstRow(m_groups.size(), -1);
    std::vector<int> order;
    const RowMeta *meta = m_meta.data();
    const int n = int(m_items.size());
    for (int r = 0; r < n; ++r) {
        const int g = meta[r].group;
        if (firstRow[size_t(g)] < 0) {
            firstRow[size_t(g)] = r;
            order.push_back(g);
        }
        sums[size_t(g)] += meta[r].aantal;
    }
    for (int g : order) {
        const QString &name = std::as_const(m_items)[firstRow[size_t(g)]].Formaat;
        if (sums[size_t(g)] <= 65535) {
            m_kassa.AddPrints(name, int(sums[size_t(g)]));
            continue;
        }
        for (int r = firstRow[size_t(g)]; r < int(m_items.size()); ++r) {
            if (m_meta[size_t(r)].group != g)
                continue;
            try {
                m_kassa.AddPrints(std::as_const(m_items)[r].Formaat, std::as_const(m_items)[r].Aantal);
            } catch (const EKiekjesError &) {
                // Past 65535 prints of one format: this row's prints do not fit.
            }
        }
    }
    hooks.pump();
    RepriceRows();
}

QString TOrderModel::OrderValueText() const
{
    try {
        return QStringLiteral("Orderwaarde: ") + money::formatMoney(m_kassa.Total());
    } catch (const EIntOverflow &) {
        return QStringLiteral("Orderwaarde: onbekend");
    }
}

qint64 TOrderModel::UploadSeconds(qint64 totalSize, uint16_t uploadSpeed)
{
    if (uploadSpeed == 0)
        return -1;
    return Round((double(totalSize) / 1024.0) / (double(uploadSpeed) / 8.0));
}

QString TOrderModel::UploadTimeText(uint16_t uploadSpeed) const
{
    qint64 seconds = UploadSeconds(m_totalSize, uploadSpeed);
    if (seconds < 0)
        return QStringLiteral("Uploadtijd: onbekend");
    const qint64 hours = seconds / 3600;
    seconds -= hours * 3600;
    const qint64 minutes = seconds / 60;
    seconds -= minutes * 60;
    auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("Uploadtijd: ") + two(hours) + QLatin1Char(':') + two(minutes) + QLatin1Char(':') + two(seconds);
}
