#include "UServiceAndLocationDlg.h"

#include "app/Prompts.h"
#include "catalogue/UAanbod.h"
#include "catalogue/UPenF.h"
#include "dialogs/DialogKit.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace dialogkit;

TServiceAndLocationDlg::TServiceAndLocationDlg(QWidget *parent)
    : TKnoppenDlg(QStringLiteral("Selecteer een service en een afhaallocatie"), parent)
{
    setObjectName(QStringLiteral("ServiceAndLocationDlg"));
    QGroupBox *group = Group();
    m_cmbBxService = new QComboBox(group);
    m_cmbBxService->setObjectName(QStringLiteral("CmbBxService"));
    m_cmbBxService->setMinimumContentsLength(22);
    m_cmbBxLocatie = new QComboBox(group);
    m_cmbBxLocatie->setObjectName(QStringLiteral("CmbBxLocatie"));
    m_cmbBxLocatie->setMinimumContentsLength(22);
    auto *form = new QFormLayout(group);
    QLabel *lblService = BuddyLabel(QStringLiteral("Service:"), m_cmbBxService, group);
    lblService->setObjectName(QStringLiteral("LblService"));
    QLabel *lblLocatie = BuddyLabel(QStringLiteral("Afhaallocatie:"), m_cmbBxLocatie, group);
    lblLocatie->setObjectName(QStringLiteral("LblLocatie"));
    form->addRow(lblService, m_cmbBxService);
    form->addRow(lblLocatie, m_cmbBxLocatie);
    connect(m_cmbBxService, &QComboBox::activated, this, &TServiceAndLocationDlg::CmbBxServiceSelect);

    SetTabOrder({m_cmbBxService, m_cmbBxLocatie, Knoppen()->Btn1(), Knoppen()->Btn2(), Knoppen()->Btn3()});
    NameControlsByCaption(this);
}

void TServiceAndLocationDlg::Setup(const QString &caption, const QStringList &serviceNames, const TPenFFile *catalogue,
                                   const QString &caption1, const QString &caption2, const QString &caption3,
                                   int defaultButton)
{
    SetupButtons(caption, caption1, caption2, caption3, defaultButton);
    m_catalogue = catalogue;
    m_cmbBxService->clear();
    m_cmbBxService->addItems(serviceNames);
}

void TServiceAndLocationDlg::FillLocations()
{
    m_cmbBxLocatie->clear();
    if (m_catalogue)
        m_cmbBxLocatie->addItems(aanbod::LocationsOnOffer(*m_catalogue, m_cmbBxService->currentIndex() > 0));
}

void TServiceAndLocationDlg::Prepare(const QString &service, const QString &location)
{
    m_cmbBxService->setCurrentIndex(m_cmbBxService->findText(service, Qt::MatchFixedString));
    FillLocations();
    m_cmbBxLocatie->setCurrentIndex(m_cmbBxLocatie->findText(location, Qt::MatchFixedString));
}

QString TServiceAndLocationDlg::ChosenService() const { return m_cmbBxService->currentText(); }
QString TServiceAndLocationDlg::ChosenLocation() const { return m_cmbBxLocatie->currentText(); }

TServiceAndLocationDlg::TResult TServiceAndLocationDlg::Execute(const QString &service, const QString &location)
{
    Prepare(service, location);
    const int result = Run(m_cmbBxService);
    return {result, ChosenService(), ChosenLocation()};
}

void TServiceAndLocationDlg::CmbBxServiceSelect()
{
    const QString shown = m_cmbBxLocatie->currentText();
    FillLocations();
    const int index = m_cmbBxLocatie->findText(shown, Qt::MatchFixedString);
    if (!shown.isEmpty() && index < 0) {
        m_cmbBxLocatie->setCurrentIndex(m_cmbBxLocatie->count() > 0 ? 0 : -1);
        TMessageBox::message(this, QStringLiteral("Let op: Uw afhaallocatie is niet beschikbaar bij snelservice!\r"
                                                  "Kies eventueel een andere afhaallocatie."));
    } else {
        m_cmbBxLocatie->setCurrentIndex(index);
    }
}

void TServiceAndLocationDlg::Btn1Click()
{
    if (m_cmbBxService->currentText().isEmpty() || m_cmbBxLocatie->currentText().isEmpty()) {
        TMessageBox::message(this, QStringLiteral("U moet zowel een service als een locatie opgeven!"));
        return;
    }
    accept();
}
