#include "Instellingen.h"

#include "DialogKit.h"
#include "app/InstellingRegels.h"
#include "app/Prompts.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace dialogkit;

namespace {

// The count box: stepped with its arrows (or the arrow keys) only, never typed into.
class TAantalBox : public QSpinBox {
public:
    explicit TAantalBox(QWidget *parent) : QSpinBox(parent) { lineEdit()->setReadOnly(true); }
};

// A choice-only list that opens as soon as the user types in it.
class TOpenOpTypenBox : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        QComboBox::keyPressEvent(event);
        if (!event->text().isEmpty() && event->text().at(0).isPrint() && !view()->isVisible())
            showPopup();
    }
};

// A radio group without a caption of its own; the accessible name says what it chooses.
QGroupBox *radioGroup(const QString &accessibleName, const char *name, const QStringList &items, QButtonGroup *group,
                      QWidget *parent)
{
    auto *box = new QGroupBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessibleName);
    auto *layout = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *radio = new QRadioButton(items[i], box);
        radio->setObjectName(QLatin1String(name) + QString::number(i));
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    return box;
}

QLabel *note(const QString &text, QWidget *parent)
{
    QLabel *label = PlainLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

TInstellingenDlg::TInstellingenDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("InstellingenDlg"));
    setWindowTitle(QStringLiteral("Instellingen"));
    SetFixedDialogBorder(this);

    // Afdrukgegevens
    auto *gbxAfdruk = new QGroupBox(QStringLiteral("Afdrukgegevens"), this);
    gbxAfdruk->setObjectName(QStringLiteral("GbxAfdrukgegevens"));
    auto *afdruk = new QGridLayout(gbxAfdruk);
    afdruk->addWidget(note(QStringLiteral("Deze gegevens worden ingevuld bij het toevoegen van foto's aan een order."), gbxAfdruk),
                      0, 0, 1, 2);
    m_ledAantal = new TAantalBox(gbxAfdruk);
    m_ledAantal->setObjectName(QStringLiteral("LedAantal"));
    m_ledAantal->setRange(1, 999);
    m_cbxFormaat = new TOpenOpTypenBox(gbxAfdruk);
    m_cbxFormaat->setObjectName(QStringLiteral("CbxFormaat"));
    m_cbxFormaat->setMinimumContentsLength(14);
    auto *fields = new QGridLayout;
    fields->addWidget(BuddyLabel(QStringLiteral("Aantal"), m_ledAantal, gbxAfdruk), 0, 0);
    fields->addWidget(m_ledAantal, 1, 0);
    fields->addWidget(BuddyLabel(QStringLiteral("Formaat"), m_cbxFormaat, gbxAfdruk), 0, 1);
    fields->addWidget(m_cbxFormaat, 1, 1);
    fields->setColumnStretch(2, 1);
    afdruk->addLayout(fields, 1, 0, 1, 2);
    m_rgpGlans = new QButtonGroup(this);
    auto *glans = radioGroup(QStringLiteral("Papier"), "RgpGlans", {QStringLiteral("Glans"), QStringLiteral("Mat")},
                             m_rgpGlans, gbxAfdruk);
    glans->setEnabled(false);
    m_rgpAfwerking = new QButtonGroup(this);
    QStringList afwerkingen;
    for (int i = 0; i < AfwerkingCount; ++i)
        afwerkingen << AfwerkingSettingsText(TAfwerking(i));
    auto *afwerking = radioGroup(QStringLiteral("Afwerking"), "RgpAfwerking", afwerkingen, m_rgpAfwerking, gbxAfdruk);
    afdruk->addWidget(glans, 2, 0);
    afdruk->addWidget(afwerking, 2, 1);
    afdruk->setColumnStretch(1, 1);

    // Verbindingssnelheid
    auto *gbxVerbinding = new QGroupBox(QStringLiteral("Verbindingssnelheid"), this);
    gbxVerbinding->setObjectName(QStringLiteral("GbxVerbindingssnelheid"));
    auto *verbinding = new QGridLayout(gbxVerbinding);
    verbinding->addWidget(
        note(QStringLiteral("Deze snelheid wordt gebruikt voor de berekening van de te verwachten \"upload\"-tijd."), gbxVerbinding),
        0, 0, 1, 3);
    m_cbxUploadSpeed = new QComboBox(gbxVerbinding);
    m_cbxUploadSpeed->setObjectName(QStringLiteral("CbxUploadSpeed"));
    m_cbxUploadSpeed->addItems(UploadSpeedKeuzes());
    verbinding->addWidget(BuddyLabel(QStringLiteral("\"Upload\"-snelheid"), m_cbxUploadSpeed, gbxVerbinding), 1, 0);
    verbinding->addWidget(m_cbxUploadSpeed, 1, 1);
    verbinding->addWidget(PlainLabel(QStringLiteral("kilobit per seconde"), gbxVerbinding), 1, 2);
    verbinding->setColumnStretch(3, 1);

    // Programma snelheid
    auto *gbxProgramma = new QGroupBox(QStringLiteral("Programma snelheid"), this);
    gbxProgramma->setObjectName(QStringLiteral("GbxProgrammaSnelheid"));
    auto *programma = new QVBoxLayout(gbxProgramma);
    programma->addWidget(note(QStringLiteral("Deze optie zorgt er voor dat het programma sneller functioneert bij bepaalde handelingen."),
                              gbxProgramma));
    programma->addWidget(note(QStringLiteral("Let op: Hierdoor lijkt het soms dat het programma niet meer reageert!"), gbxProgramma));
    m_cbxSnelheid = new QCheckBox(QStringLiteral("Verhoog snelheid"), gbxProgramma);
    m_cbxSnelheid->setObjectName(QStringLiteral("CbxSnelheid"));
    programma->addWidget(m_cbxSnelheid);

    m_bitBtnOke = Button(QStringLiteral("&Toepassen"), "BitBtnOke", this);
    m_bitBtnAnnuleren = Button(QStringLiteral("&Annuleren"), "BitBtnAnnuleren", this, true);
    m_bitBtnStandaard = Button(QStringLiteral("&Standaard"), "BitBtnStandaard", this);
    connect(m_bitBtnOke, &QPushButton::clicked, this, &TInstellingenDlg::BitBtnOkeClick);
    connect(m_bitBtnAnnuleren, &QPushButton::clicked, this, &TInstellingenDlg::reject);
    connect(m_bitBtnStandaard, &QPushButton::clicked, this, &TInstellingenDlg::BitBtnStandaardClick);

    QHBoxLayout *buttons = RightAlignedRow({m_bitBtnOke, m_bitBtnAnnuleren});
    buttons->insertWidget(0, m_bitBtnStandaard);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(gbxAfdruk);
    outer->addWidget(gbxVerbinding);
    outer->addWidget(gbxProgramma);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    gbxAfdruk->setFixedWidth(420);

    QList<QWidget *> order{m_ledAantal, m_cbxFormaat};
    for (QAbstractButton *b : m_rgpAfwerking->buttons())
        order << b;
    order << m_cbxUploadSpeed << m_cbxSnelheid << m_bitBtnOke << m_bitBtnAnnuleren << m_bitBtnStandaard;
    SetTabOrder(order);
    NameControlsByCaption(this);
}

void TInstellingenDlg::SetGegevens(const TInstellingen &gegevens) { m_gegevens = gegevens; }
void TInstellingenDlg::GetGegevens(TInstellingen &gegevens) const { gegevens = m_gegevens; }

void TInstellingenDlg::SetStandaard(const TInstellingen &standaard)
{
    m_standaard = standaard;
    m_standaard.Glans = true;
}

void TInstellingenDlg::SetFormaten(const QStringList &formaten)
{
    m_cbxFormaat->clear();
    m_cbxFormaat->addItems(formaten);
}

void TInstellingenDlg::SetCatalogusBestand(const QString &fileName) { m_catalogusBestand = fileName; }

int TInstellingenDlg::Execute() { return TModal::Run(*this); }

void TInstellingenDlg::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        FillControls();
        CentreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void TInstellingenDlg::FillControls()
{
    m_ledAantal->setValue(m_gegevens.Aantal);
    m_cbxFormaat->setCurrentIndex(m_cbxFormaat->findText(m_gegevens.Formaat, Qt::MatchFixedString));
    m_rgpGlans->button(0)->setChecked(true);
    if (QAbstractButton *b = m_rgpAfwerking->button(m_gegevens.Afwerking)) {
        b->setChecked(true);
    } else if (QAbstractButton *checked = m_rgpAfwerking->checkedButton()) {
        m_rgpAfwerking->setExclusive(false);
        checked->setChecked(false);
        m_rgpAfwerking->setExclusive(true);
    }
    m_cbxUploadSpeed->setCurrentIndex(m_cbxUploadSpeed->findText(QString::number(m_gegevens.UploadSpeed), Qt::MatchExactly));
    m_cbxSnelheid->setChecked(m_gegevens.VerhoogSnelheid);
}

bool TInstellingenDlg::Check()
{
    const bool catalogus = !m_catalogusBestand.isEmpty() && QFile::exists(m_catalogusBestand);
    const QString message = InstellingenControle(m_cbxFormaat->currentIndex() >= 0, catalogus,
                                                 m_cbxUploadSpeed->currentIndex() >= 0);
    if (message.isEmpty())
        return true;
    TMessageBox::message(this, message);
    return false;
}

void TInstellingenDlg::BitBtnOkeClick()
{
    if (!Check())
        return;
    m_gegevens.Aantal = uint16_t(m_ledAantal->value());
    m_gegevens.Formaat = m_cbxFormaat->currentText();
    m_gegevens.Glans = m_rgpGlans->checkedId() != 1;
    m_gegevens.Afwerking = TAfwerking(std::max(0, m_rgpAfwerking->checkedId()));
    m_gegevens.UploadSpeed = UploadSpeedUitTekst(m_cbxUploadSpeed->currentText());
    m_gegevens.VerhoogSnelheid = m_cbxSnelheid->isChecked();
    accept();
}

void TInstellingenDlg::BitBtnStandaardClick()
{
    m_gegevens = m_standaard;
    FillControls();
}

void TInstellingenDlg::reject()
{
    if (Check())
        QDialog::reject();
}
