#include "UFormaatInfo.h"

#include "catalogue/UAanbod.h"
#include "catalogue/UPenF.h"
#include "dialogs/DialogKit.h"

#include <algorithm>

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace dialogkit;

namespace {
constexpr int ColNaam = 0, ColOmschrijving = 1, ColPrijs = 2;
const int MinimumWidths[3] = {50, 100, 50};

// Grid lines between the cells. Drawn by the delegate rather than through a style sheet,
// which would build a style-sheet style for the whole list when the window is created.
class TGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        const QRect r = option.rect;
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->restore();
    }
};
} // namespace

TFormaatInfoForm::TFormaatInfoForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormaatInfoForm"));
    setWindowTitle(QStringLiteral("Informatie over de formaten"));
    setMinimumSize(400, 230);

    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::StyledPanel);
    bevel->setFrameShadow(QFrame::Sunken);
    m_lblInfo = PlainLabel(QStringLiteral("Onderstaand vindt u omschrijvingen bij de formaten die u in het programma "
                                          "tegenkomt. De vermelde prijs is de prijs van een enkele afdruk. Bij een aantal "
                                          "formaten neemt de prijs af naarmate het aantal toeneemt."),
                           bevel);
    m_lblInfo->setObjectName(QStringLiteral("LblInfo"));
    m_lblInfo->setWordWrap(true);

    m_listView = new QTreeWidget(bevel);
    m_listView->setObjectName(QStringLiteral("ListView"));
    m_listView->setAccessibleName(QStringLiteral("Formaten"));
    m_listView->setColumnCount(3);
    m_listView->setHeaderLabels({QStringLiteral("Naam"), QStringLiteral("Omschrijving"), QStringLiteral("Prijs per afdruk")});
    m_listView->headerItem()->setTextAlignment(ColPrijs, Qt::AlignRight | Qt::AlignVCenter);
    m_listView->setRootIsDecorated(false);
    m_listView->setUniformRowHeights(true);
    m_listView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView->setFocusPolicy(Qt::NoFocus);
    m_listView->setItemDelegate(new TGridDelegate(m_listView));
    QHeaderView *header = m_listView->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(MinimumWidths[ColNaam]);
    header->resizeSection(ColNaam, 80);
    header->resizeSection(ColOmschrijving, 275);
    // At least 90, and wide enough for its caption in the font in use.
    header->resizeSection(ColPrijs, std::max(90, header->fontMetrics().horizontalAdvance(QStringLiteral("Prijs per afdruk")) + 16));
    const int columns = header->sectionSize(ColNaam) + header->sectionSize(ColOmschrijving) + header->sectionSize(ColPrijs);
    resize(std::max(520, columns + 64), 330);
    connect(header, &QHeaderView::sectionResized, this, [header](int column, int, int size) {
        if (size < MinimumWidths[column])
            header->resizeSection(column, MinimumWidths[column]);
    });

    auto *inner = new QVBoxLayout(bevel);
    inner->addWidget(m_lblInfo);
    inner->addWidget(m_listView, 1);

    m_btnSluiten = Button(QStringLiteral("&Sluiten"), "BtnSluiten", this, true);
    connect(m_btnSluiten, &QPushButton::clicked, this, &TFormaatInfoForm::BtnSluitenClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnSluiten);
    buttons->addStretch();

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(bevel, 1);
    outer->addLayout(buttons);
    NameControlsByCaption(this);
}

void TFormaatInfoForm::Execute(const TPenFFile &catalogue, bool fastService, const QString &locationName)
{
    m_fastService = fastService;
    m_locationName = locationName;
    m_listView->clear();
    for (const aanbod::TFormatInfo &row : aanbod::FormatInfoRows(catalogue, fastService, locationName)) {
        auto *item = new QTreeWidgetItem(m_listView, {row.naam, row.omschrijving, row.prijs});
        item->setTextAlignment(ColPrijs, Qt::AlignRight | Qt::AlignVCenter);
    }
    setWindowTitle(aanbod::FormatInfoCaption(fastService));
    if (!isVisible())
        CentreOnScreen(this);
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TFormaatInfoForm::BtnSluitenClick() { hide(); }

void TFormaatInfoForm::keyPressEvent(QKeyEvent *event)
{
    // The default button answers Enter, as in a dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_btnSluiten->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
