#include "PrAbout.h"

#include "DialogKit.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

using namespace dialogkit;

namespace {

// The program's picture: a print with a small camera, drawn at any size.
QPixmap programPicture(int size, const QColor &background)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(QPen(QColor(60, 60, 60), s / 48));
    p.setBrush(background);
    p.drawRoundedRect(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88), s * 0.08, s * 0.08);
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(QRectF(s * 0.18, s * 0.34, s * 0.64, s * 0.42), s * 0.05, s * 0.05);
    p.drawRect(QRectF(s * 0.36, s * 0.26, s * 0.22, s * 0.1));
    p.setBrush(QColor(230, 230, 235));
    p.drawEllipse(QPointF(s * 0.5, s * 0.55), s * 0.14, s * 0.14);
    p.setBrush(QColor(70, 110, 170));
    p.drawEllipse(QPointF(s * 0.5, s * 0.55), s * 0.08, s * 0.08);
    p.setBrush(QColor(250, 200, 60));
    p.drawEllipse(QPointF(s * 0.72, s * 0.41), s * 0.03, s * 0.03);
    return pixmap;
}

QLabel *valueLabel(const char *name, QWidget *parent)
{
    QLabel *label = PlainLabel(QStringLiteral("0"), parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent), m_bron(LeesGeheugenStatus)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info"));
    SetFixedDialogBorder(this);
    setFixedSize(408, 335);

    auto *programIcon = new QLabel(this);
    programIcon->setObjectName(QStringLiteral("ProgramIcon"));
    programIcon->setPixmap(programPicture(64, QColor(255, 255, 255)));
    programIcon->setFixedSize(64, 64);
    m_label1 = PlainLabel(QString(), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = m_label1->font();
    bold.setBold(true);
    m_label1->setFont(bold);
    m_label1->setWordWrap(true);
    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setFixedSize(97, 97);
    image->setAlignment(Qt::AlignCenter);
    image->setPixmap(programPicture(97, QColor(255, 246, 220)));

    auto *top = new QHBoxLayout;
    top->addWidget(programIcon, 0, Qt::AlignTop);
    top->addWidget(m_label1, 1, Qt::AlignTop);
    top->addWidget(image, 0, Qt::AlignTop);

    auto *rule = new QFrame(this);
    rule->setObjectName(QStringLiteral("Bevel1"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    m_physMem = valueLabel("PhysMem", this);
    m_freeRes = valueLabel("FreeRes", this);
    m_totalPage = valueLabel("TotalPage", this);
    m_availPage = valueLabel("AvailPage", this);
    m_totalVirtual = valueLabel("TotalVirtual", this);
    m_availVirtual = valueLabel("AvailVirtual", this);
    const QList<QPair<QString, QLabel *>> rows{
        {QStringLiteral("Fysiek geheugen beschikbaar voor Windows"), m_physMem},
        {QStringLiteral("Fysiek geheugen in gebruik"), m_freeRes},
        {QStringLiteral("Maximale grootte van het page-bestand"), m_totalPage},
        {QStringLiteral("Beschikbare ruimte in het page-bestand"), m_availPage},
        {QStringLiteral("Totaal virtueel geheugen"), m_totalVirtual},
        {QStringLiteral("Beschikbaar virtueel geheugen"), m_availVirtual},
    };
    // The captions keep their full width; the figures take what is left.
    auto *figures = new QGridLayout;
    figures->setHorizontalSpacing(4);
    for (int i = 0; i < rows.size(); ++i) {
        QLabel *caption = BuddyLabel(rows[i].first, rows[i].second, this);
        caption->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
        figures->addWidget(caption, i, 0);
        figures->addWidget(rows[i].second, i, 1);
    }
    figures->setColumnStretch(1, 1);

    m_okButton = Button(QStringLiteral("OK"), "OKButton", this, true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addLayout(top);
    outer->addWidget(rule);
    outer->addLayout(figures);
    outer->addStretch();
    outer->addLayout(RightAlignedRow({m_okButton}));

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(5000);
    connect(m_timer, &QTimer::timeout, this, &TAboutBox::UpdateFigures);

    m_label1->setAccessibleName(QStringLiteral("Naam en versie"));
    NameControlsByCaption(this);
}

void TAboutBox::SetVersionText(const QString &text) { m_label1->setText(text); }
void TAboutBox::SetGeheugenBron(std::function<TGeheugenStatus()> bron) { m_bron = std::move(bron); }
int TAboutBox::Execute() { return TModal::Run(*this); }

void TAboutBox::UpdateFigures()
{
    const TGeheugenStatus s = m_bron();
    m_physMem->setText(KilobyteTekst(s.totaalFysiek));
    m_freeRes->setText(BelastingTekst(s.belasting));
    m_totalPage->setText(KilobyteTekst(s.totaalPagefile));
    m_availPage->setText(KilobyteTekst(s.vrijPagefile));
    m_totalVirtual->setText(KilobyteTekst(s.totaalVirtueel));
    m_availVirtual->setText(KilobyteTekst(s.vrijVirtueel));
}

void TAboutBox::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnScreen(this);
        UpdateFigures();
        m_timer->start();
    }
    QDialog::showEvent(event);
}

void TAboutBox::hideEvent(QHideEvent *event)
{
    m_timer->stop();
    QDialog::hideEvent(event);
}
