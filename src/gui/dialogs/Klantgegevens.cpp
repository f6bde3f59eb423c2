#include "Klantgegevens.h"

#include "DialogKit.h"
#include "app/KlantRegels.h"
#include "app/Prompts.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

using namespace dialogkit;

namespace {

QLineEdit *edit(const char *name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

} // namespace

TKlantgegevensDlg::TKlantgegevensDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KlantgegevensDlg"));
    setWindowTitle(QStringLiteral("Klantgegevens"));
    SetFixedDialogBorder(this);

    auto *group = new QGroupBox(QStringLiteral("Uw gegevens"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto *note = PlainLabel(QStringLiteral("Velden gemarkeerd met een * zijn  verplicht in verband met controle en/of verzenden."), group);
    note->setObjectName(QStringLiteral("LblVerplicht"));
    QFont italic = note->font();
    italic.setItalic(true);
    note->setFont(italic);
    note->setWordWrap(true);
    grid->addWidget(note, 0, 0, 1, 4);

    m_cbxTitel = new QComboBox(group);
    m_cbxTitel->setObjectName(QStringLiteral("CbxTitel"));
    m_cbxTitel->addItems({QStringLiteral("Dhr."), QStringLiteral("Mevr."), QStringLiteral("Fam.")});
    m_edVoornaam = edit("EdVoornaam", group);
    m_edTussenvoegsel = edit("EdTussenvoegsel", group);
    m_edAchternaam = edit("EdAchternaam", group);
    m_edStraat = edit("EdStraat", group);
    m_edNummer = edit("EdNummer", group);
    m_edNummer->setMaximumWidth(70);
    m_edPcCijfers = edit("EdPcCijfers", group);
    m_edPcCijfers->setMaxLength(4);
    m_edPcCijfers->setFixedWidth(50);
    m_edPcLetters = edit("EdPcLetters", group);
    m_edPcLetters->setMaxLength(2);
    m_edPcLetters->setFixedWidth(34);
    m_edPlaats = edit("EdPlaats", group);
    m_edTelefoon = edit("EdTelefoon", group);
    m_edEmail = edit("EdEmail", group);

    for (QLineEdit *e : {m_edTussenvoegsel, m_edAchternaam, m_edStraat, m_edPlaats, m_edTelefoon})
        e->setMinimumWidth(200);

    TToetsFilter::Install(m_edPcCijfers, toetsfilter::Cijfers);
    TToetsFilter::Install(m_edPcLetters, toetsfilter::Letters, true);
    TToetsFilter::Install(m_edTelefoon, toetsfilter::Telefoon);

    grid->addWidget(BuddyLabel(QStringLiteral("Titel *"), m_cbxTitel, group), 1, 0);
    grid->addWidget(m_cbxTitel, 1, 1, Qt::AlignLeft);
    grid->addWidget(BuddyLabel(QStringLiteral("Voornaam"), m_edVoornaam, group), 2, 0);
    grid->addWidget(m_edVoornaam, 2, 1, 1, 3);
    grid->addWidget(BuddyLabel(QStringLiteral("Tussenvoegsel"), m_edTussenvoegsel, group), 3, 0);
    grid->addWidget(m_edTussenvoegsel, 3, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("Achternaam *"), m_edAchternaam, group), 3, 2);
    grid->addWidget(m_edAchternaam, 3, 3);
    grid->addWidget(BuddyLabel(QStringLiteral("Straat *"), m_edStraat, group), 4, 0);
    grid->addWidget(m_edStraat, 4, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("Nummer *"), m_edNummer, group), 4, 2);
    grid->addWidget(m_edNummer, 4, 3, Qt::AlignLeft);

    auto *postcode = new QHBoxLayout;
    postcode->addWidget(m_edPcCijfers);
    postcode->addWidget(m_edPcLetters);
    postcode->addStretch();
    grid->addWidget(BuddyLabel(QStringLiteral("Postcode *"), m_edPcCijfers, group), 5, 0);
    m_edPcLetters->setAccessibleName(QStringLiteral("Postcode letters"));
    grid->addLayout(postcode, 5, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("Woonplaats *"), m_edPlaats, group), 5, 2);
    grid->addWidget(m_edPlaats, 5, 3);
    grid->addWidget(BuddyLabel(QStringLiteral("Telefoonnummer"), m_edTelefoon, group), 6, 0);
    grid->addWidget(m_edTelefoon, 6, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("E-mailadres"), m_edEmail, group), 7, 0);
    grid->addWidget(m_edEmail, 7, 1, 1, 3);

    m_rgpHalen = new QGroupBox(
        QStringLiteral("Wilt u de foto's af komen halen of wilt u dat de foto's verstuurd worden? *"), group);
    m_rgpHalen->setObjectName(QStringLiteral("RgpHalen"));
    auto *halenLayout = new QVBoxLayout(m_rgpHalen);
    m_rbtnAfhalen = new QRadioButton(QStringLiteral("Ik kom de foto's afhalen."), m_rgpHalen);
    m_rbtnAfhalen->setObjectName(QStringLiteral("RgpHalenAfhalen"));
    m_rbtnToesturen = new QRadioButton(QStringLiteral("Ik zou de foto's toegestuurd willen krijgen."), m_rgpHalen);
    m_rbtnToesturen->setObjectName(QStringLiteral("RgpHalenToesturen"));
    halenLayout->addWidget(m_rbtnAfhalen);
    halenLayout->addWidget(m_rbtnToesturen);
    m_halen = new QButtonGroup(this);
    m_halen->addButton(m_rbtnAfhalen, 0);
    m_halen->addButton(m_rbtnToesturen, 1);
    grid->addWidget(m_rgpHalen, 8, 0, 1, 4);

    m_bitBtnOk = Button(QStringLiteral("&Toepassen"), "BitBtnOk", this);
    m_bitBtnCancel = Button(QStringLiteral("&Annuleren"), "BitBtnCancel", this, true);
    connect(m_bitBtnOk, &QPushButton::clicked, this, &TKlantgegevensDlg::BitBtnOkClick);
    connect(m_bitBtnCancel, &QPushButton::clicked, this, &TKlantgegevensDlg::reject);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(group);
    outer->addLayout(RightAlignedRow({m_bitBtnOk, m_bitBtnCancel}));
    outer->setSizeConstraint(QLayout::SetFixedSize);

    SetTabOrder({m_cbxTitel, m_edVoornaam, m_edTussenvoegsel, m_edAchternaam, m_edStraat, m_edNummer,
                 m_edPcCijfers, m_edPcLetters, m_edPlaats, m_edTelefoon, m_edEmail, m_rbtnAfhalen,
                 m_rbtnToesturen, m_bitBtnOk, m_bitBtnCancel});
    NameControlsByCaption(this);
    m_rbtnAfhalen->setAccessibleName(QString()); // follows its caption, which changes
}

void TKlantgegevensDlg::SetGegevens(const TKlantGegevens &gegevens) { m_gegevens = gegevens; }
void TKlantgegevensDlg::GetGegevens(TKlantGegevens &gegevens) const { gegevens = m_gegevens; }

void TKlantgegevensDlg::SetVerplicht(bool verplicht)
{
    setWindowTitle(verplicht ? QStringLiteral("Vul uw gegevens in") : QStringLiteral("Klantgegevens"));
    m_bitBtnCancel->setEnabled(!verplicht);
}

int TKlantgegevensDlg::Execute() { return TModal::Run(*this); }

void TKlantgegevensDlg::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        FillControls();
        CentreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void TKlantgegevensDlg::FillControls()
{
    m_cbxTitel->setCurrentIndex(m_cbxTitel->findText(m_gegevens.Titel, Qt::MatchFixedString));
    m_edVoornaam->setText(m_gegevens.Voornaam);
    m_edTussenvoegsel->setText(m_gegevens.Tussenvoegsel);
    m_edAchternaam->setText(m_gegevens.Achternaam);
    m_edStraat->setText(m_gegevens.Straat);
    m_edNummer->setText(m_gegevens.Nummer);
    m_edPcCijfers->setText(m_gegevens.PcCijfers == 0 ? QString() : QString::number(m_gegevens.PcCijfers));
    m_edPcLetters->setText(m_gegevens.PcLetters.text().toUpper());
    m_edPlaats->setText(m_gegevens.Plaats);
    m_edTelefoon->setText(m_gegevens.Telefoon);
    m_edEmail->setText(m_gegevens.Email);
    m_rbtnAfhalen->setText(AfhalenKeuzeTekst(m_gegevens.Afhaallocatie));
    (m_gegevens.Versturen ? m_rbtnToesturen : m_rbtnAfhalen)->setChecked(true);
}

void TKlantgegevensDlg::BitBtnOkClick()
{
    TKlantInvoer invoer;
    invoer.titelGekozen = m_cbxTitel->currentIndex() >= 0;
    invoer.achternaam = m_edAchternaam->text();
    invoer.straat = m_edStraat->text();
    invoer.pcCijfers = m_edPcCijfers->text();
    invoer.pcLetters = m_edPcLetters->text();
    invoer.plaats = m_edPlaats->text();
    invoer.halenGekozen = m_halen->checkedId() >= 0;
    const QString message = KlantControle(invoer);
    if (!message.isEmpty()) {
        TMessageBox::message(this, message);
        return;
    }
    m_gegevens.Titel = m_cbxTitel->currentText();
    m_gegevens.Voornaam = m_edVoornaam->text();
    m_gegevens.Tussenvoegsel = m_edTussenvoegsel->text();
    m_gegevens.Achternaam = m_edAchternaam->text();
    m_gegevens.Straat = m_edStraat->text();
    m_gegevens.Nummer = m_edNummer->text();
    m_gegevens.PcCijfers = m_edPcCijfers->text().toUShort(); // four digits, checked above
    m_gegevens.PcLetters = m_edPcLetters->text().left(2).toUpper();
    m_gegevens.Plaats = m_edPlaats->text();
    m_gegevens.Telefoon = m_edTelefoon->text();
    m_gegevens.Email = m_edEmail->text();
    m_gegevens.Versturen = m_halen->checkedId() == 1;
    accept();
}

void TKlantgegevensDlg::reject()
{
    if (m_bitBtnCancel->isEnabled())
        QDialog::reject();
}
