#pragma once
// The catalogue update dialog: compares the local catalogue with the order server's and
// downloads the server's when they differ. The exchange itself is the core's TUpdateExchange;
// this window shows what it reports and keeps the window thread responsive meanwhile.

#include "lab/Updaten.h"

#include <QDialog>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class TPenFFile;
class TSettingsStore;

class TUpdateDlg : public QDialog, public IUpdateFrontEnd {
    Q_OBJECT
public:
    explicit TUpdateDlg(QWidget *parent = nullptr);
    ~TUpdateDlg() override;

    // The dialog's results: QDialog::Accepted when the catalogue was replaced and reloaded,
    // Rejected when closed or already current, Abort when the file could not be moved aside.
    static constexpr int Abort = 3;

    int Execute(TPenFFile &catalogue, const TSettingsStore *store);
    // Fills the window as its showing does (tests call it without the modal loop).
    void Prepare(TPenFFile &catalogue, const TSettingsStore *store);
    // How long the server may stay silent in the middle of the exchange (tests shorten it).
    void SetSilenceLimit(int ms) { m_silenceMs = ms; }

public slots:
    void BtnStartClick();
    void BtnAnnulerenClick();

protected:
    void reject() override;

private:
    // IUpdateFrontEnd
    void ShowMessage(const QString &text) override;
    bool AskYesNo(const QString &text) override;
    void SetButtonsEnabled(bool start, bool cancel) override;
    void SetStatusText(const QString &text) override;
    void SetLocalVersion(const QString &text) override;
    void SetServerVersion(const QString &text) override;
    void SetSizeText(const QString &text) override;
    void SetReceivedText(const QString &text) override;
    void SetProgress(int position) override;
    void ProcessEvents() override;

    TPenFFile *m_catalogue = nullptr;
    const TSettingsStore *m_store = nullptr;
    std::unique_ptr<TUpdateExchange> m_exchange;
    int m_silenceMs = TUpdateExchange::DefaultSilenceMs;

public:
    QLabel *LblLokaal;
    QLabel *LblServer;
    QProgressBar *ProgressBar;
    QLabel *LblGrootte;
    QLabel *LblOntvangen;
    QLabel *ScTxtMessage;
    QPushButton *BtnStart;
    QPushButton *BtnAnnuleren;
};
