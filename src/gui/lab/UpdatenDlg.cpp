#include "UpdatenDlg.h"

#include "app/Definities.h"
#include "app/Prompts.h"
#include "catalogue/UPenF.h"
#include "dialogs/DialogKit.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TUpdateDlg::TUpdateDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UpdateDlg"));
    setWindowTitle(QStringLiteral("Prijzen en formaten bijwerken"));
    dialogkit::SetFixedDialogBorder(this);
    auto *v = new QVBoxLayout(this);

    auto *versie = new QGroupBox(QStringLiteral("Versie informatie"), this);
    versie->setObjectName(QStringLiteral("GbxVersieInformatie"));
    auto *vf = new QFormLayout(versie);
    LblLokaal = dialogkit::PlainLabel(QStringLiteral("XXXXXXXX-XX"), versie);
    LblLokaal->setObjectName(QStringLiteral("LblLokaal"));
    LblServer = dialogkit::PlainLabel(QStringLiteral("XXXXXXXX-XX"), versie);
    LblServer->setObjectName(QStringLiteral("LblServer"));
    vf->addRow(QStringLiteral("Lokaal:"), LblLokaal);
    vf->addRow(QStringLiteral("Op de server:"), LblServer);
    v->addWidget(versie);

    auto *download = new QGroupBox(QStringLiteral("Download"), this);
    download->setObjectName(QStringLiteral("GbxDownload"));
    auto *dv = new QVBoxLayout(download);
    ProgressBar = new QProgressBar(download);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setAccessibleName(QStringLiteral("Voortgang van de download"));
    dv->addWidget(ProgressBar);
    auto *df = new QFormLayout;
    LblGrootte = dialogkit::PlainLabel(QStringLiteral("0 kB"), download);
    LblGrootte->setObjectName(QStringLiteral("LblGrootte"));
    LblOntvangen = dialogkit::PlainLabel(QStringLiteral("0 kB (0%)"), download);
    LblOntvangen->setObjectName(QStringLiteral("LblOntvangen"));
    df->addRow(QStringLiteral("Bestandsgrootte:"), LblGrootte);
    df->addRow(QStringLiteral("Ontvangen:"), LblOntvangen);
    dv->addLayout(df);
    v->addWidget(download);

    ScTxtMessage = dialogkit::PlainLabel(QStringLiteral("Klik op 'Start'..."), this);
    ScTxtMessage->setObjectName(QStringLiteral("ScTxtMessage"));
    ScTxtMessage->setFrameShape(QFrame::Panel);
    ScTxtMessage->setFrameShadow(QFrame::Sunken);
    ScTxtMessage->setMinimumWidth(300);
    v->addWidget(ScTxtMessage);

    BtnStart = dialogkit::Button(QStringLiteral("&Start"), "BtnStart", this, true);
    BtnAnnuleren = dialogkit::Button(QStringLiteral("&Annuleren"), "BtnAnnuleren", this);
    v->addLayout(dialogkit::RightAlignedRow({BtnStart, BtnAnnuleren}));
    connect(BtnStart, &QPushButton::clicked, this, &TUpdateDlg::BtnStartClick);
    connect(BtnAnnuleren, &QPushButton::clicked, this, &TUpdateDlg::BtnAnnulerenClick);
    adjustSize();
    setFixedSize(sizeHint());
}

TUpdateDlg::~TUpdateDlg() = default;

void TUpdateDlg::Prepare(TPenFFile &catalogue, const TSettingsStore *store)
{
    m_catalogue = &catalogue;
    m_store = store;
    m_exchange = std::make_unique<TUpdateExchange>(catalogue, store, *this);
    m_exchange->SetSilenceLimit(m_silenceMs);
    LblLokaal->setText(VersieTekst(catalogue.Versienummer(), catalogue.Versiedatum()));
    ScTxtMessage->setText(QStringLiteral("Klik op 'Start'"));
    ProgressBar->setValue(0);
    LblServer->setText(QStringLiteral("XXXXXXXX-XX"));
    SetButtonsEnabled(true, true);
    setResult(QDialog::Rejected);
}

int TUpdateDlg::Execute(TPenFFile &catalogue, const TSettingsStore *store)
{
    Prepare(catalogue, store);
    dialogkit::CentreOnScreen(this);
    return TModal::Run(*this);
}

void TUpdateDlg::BtnStartClick()
{
    if (!m_exchange || m_exchange->Running())
        return;
    const int r = m_exchange->Updaten();
    SetButtonsEnabled(true, true);
    switch (r) {
    case TUpdateExchange::Replaced: done(QDialog::Accepted); break;
    case TUpdateExchange::AlreadyCurrent: done(QDialog::Rejected); break;
    case TUpdateExchange::FileInUse: done(Abort); break;
    default: break; // the dialog stays open for another attempt
    }
}

void TUpdateDlg::BtnAnnulerenClick()
{
    // During an attempt Annuleren ends the exchange (the old catalogue stays in place); the
    // attempt's own result then decides how the dialog goes on.
    if (m_exchange && m_exchange->Running()) {
        m_exchange->Cancel();
        return;
    }
    done(QDialog::Rejected);
}

void TUpdateDlg::reject()
{
    // Escape or the window's close go the way of Annuleren.
    BtnAnnulerenClick();
}

void TUpdateDlg::ShowMessage(const QString &text) { TMessageBox::message(this, text); }
bool TUpdateDlg::AskYesNo(const QString &text) { return TMessageBox::yesNo(this, text); }
void TUpdateDlg::SetButtonsEnabled(bool start, bool cancel)
{
    BtnStart->setEnabled(start);
    BtnAnnuleren->setEnabled(cancel);
}
void TUpdateDlg::SetStatusText(const QString &text) { ScTxtMessage->setText(text); }
void TUpdateDlg::SetLocalVersion(const QString &text) { LblLokaal->setText(text); }
void TUpdateDlg::SetServerVersion(const QString &text) { LblServer->setText(text); }
void TUpdateDlg::SetSizeText(const QString &text) { LblGrootte->setText(text); }
void TUpdateDlg::SetReceivedText(const QString &text) { LblOntvangen->setText(text); }
void TUpdateDlg::SetProgress(int position) { ProgressBar->setValue(position); }
void TUpdateDlg::ProcessEvents() { QCoreApplication::processEvents(); }
