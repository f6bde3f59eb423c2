#include "UGegevensBevestiging.h"

#include "DialogKit.h"
#include "app/KlantRegels.h"
#include "app/Prompts.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace dialogkit;

namespace {

QGroupBox *box(const QString &title, const char *name, QWidget *content, QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    group->setObjectName(QLatin1String(name));
    auto *layout = new QVBoxLayout(group);
    layout->addWidget(content);
    content->setParent(group);
    return group;
}

} // namespace

TGegevensBevestingsDlg::TGegevensBevestingsDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("GegevensBevestingsDlg"));
    setWindowTitle(QStringLiteral("Bevestig uw naam-/adres-gegevens"));
    SetFixedDialogBorder(this);

    auto *uitleg = PlainLabel(QStringLiteral("Controleer of onderstaande gegevens correct zijn. Deze gegevens worden "
                                             "gebruikt om uw order te verwerken en eventueel te versturen."),
                              this);
    uitleg->setObjectName(QStringLiteral("LblUitleg"));
    uitleg->setWordWrap(true);

    // Name and address come from the customer's own input: always plain text.
    m_lblNaam = PlainLabel(QString(), this);
    m_lblNaam->setObjectName(QStringLiteral("LblNaam"));
    m_lblAdres = PlainLabel(QString(), this);
    m_lblAdres->setObjectName(QStringLiteral("LblAdres"));
    auto *gbxNaam = box(QStringLiteral("Naam"), "GbxNaam", m_lblNaam, this);
    auto *gbxAdres = box(QStringLiteral("Adres"), "GbxAdres", m_lblAdres, this);

    auto *gbxHalen = new QGroupBox(QStringLiteral("Ophalen/Versturen"), this);
    gbxHalen->setObjectName(QStringLiteral("GbxOphalenVersturen"));
    m_rbtnOphalen = new QRadioButton(gbxHalen);
    m_rbtnOphalen->setObjectName(QStringLiteral("RBtnOphalen"));
    m_rbtnVersturen = new QRadioButton(QStringLiteral("Stuurt u mij de foto's."), gbxHalen);
    m_rbtnVersturen->setObjectName(QStringLiteral("RBtnVersturen"));
    auto *group = new QButtonGroup(this);
    group->addButton(m_rbtnOphalen);
    group->addButton(m_rbtnVersturen);
    auto *halenLayout = new QVBoxLayout(gbxHalen);
    halenLayout->addWidget(m_rbtnOphalen);
    halenLayout->addWidget(m_rbtnVersturen);
    connect(m_rbtnOphalen, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_gegevens.Versturen = false;
    });
    connect(m_rbtnVersturen, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_gegevens.Versturen = true;
    });

    m_btnOke = Button(QStringLiteral("Oké"), "BtnOke", this, true);
    m_btnAnnuleren = Button(QStringLiteral("Annuleren"), "BtnAnnuleren", this);
    connect(m_btnOke, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnAnnuleren, &QPushButton::clicked, this, &QDialog::reject);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(uitleg);
    outer->addWidget(gbxNaam);
    outer->addWidget(gbxAdres);
    outer->addWidget(gbxHalen);
    outer->addLayout(RightAlignedRow({m_btnOke, m_btnAnnuleren}));
    outer->setSizeConstraint(QLayout::SetFixedSize);
    uitleg->setFixedWidth(400);

    m_lblNaam->setAccessibleName(QStringLiteral("Naam"));
    m_lblAdres->setAccessibleName(QStringLiteral("Adres"));
    NameControlsByCaption(this);
    m_rbtnOphalen->setAccessibleName(QString()); // follows its caption, which changes
}

void TGegevensBevestingsDlg::Fill(const TKlantGegevens &gegevens)
{
    m_gegevens = gegevens;
    m_lblNaam->setText(NaamRegel(gegevens));
    m_lblAdres->setText(TMessageBox::displayText(AdresRegels(gegevens)));
    m_rbtnOphalen->setText(OphalenTekst(gegevens));
    if (gegevens.Snelservice) {
        m_rbtnOphalen->setChecked(true);
        m_rbtnVersturen->setEnabled(false);
    } else {
        m_rbtnVersturen->setEnabled(true);
        (gegevens.Versturen ? m_rbtnVersturen : m_rbtnOphalen)->setChecked(true);
    }
    // The toggles above keep Versturen in step; set it here too for a choice that was
    // already selected before.
    m_gegevens.Versturen = m_rbtnVersturen->isChecked();
}

int TGegevensBevestingsDlg::Execute(TKlantGegevens &gegevens)
{
    Fill(gegevens);
    adjustSize();
    CentreOnScreen(this);
    const int result = TModal::Run(*this);
    if (result == QDialog::Accepted)
        gegevens = m_gegevens;
    return result;
}

void TGegevensBevestingsDlg::GetGegevens(TKlantGegevens &gegevens) const { gegevens = m_gegevens; }
