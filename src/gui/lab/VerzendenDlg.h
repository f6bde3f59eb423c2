#pragma once
// The send dialog: shows what will be sent, has the customer confirm name and address,
// starts the upload thread and follows it. The thread reaches the dialog only through
// IUploadFrontEnd, whose calls run here on the window thread while the thread waits.

#include "app/Definities.h"
#include "lab/Verzenden.h"
#include "order/TOrderItem.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class TDM;
class TPenFFile;
class TVoortgangsDlg;
class TGegevensBevestingsDlg;
class TConfirmCalculationDlg;

class TVerzendenDlg : public QDialog, public IUploadFrontEnd {
    Q_OBJECT
public:
    TVerzendenDlg(TVoortgangsDlg &progress, TGegevensBevestingsDlg &confirmation, TConfirmCalculationDlg &calculation,
                  QWidget *parent = nullptr);
    ~TVerzendenDlg() override;

    // Runs when an upload found the catalogue outdated: the main window's update command.
    void SetUpdateCommand(std::function<void()> command) { m_update = std::move(command); }

    int Execute(const QList<TOrderItem> &order, const QString &localVersion, const QString &dataDir,
                uint16_t uploadSpeed, const TKlantGegevens &customer, const TPenFFile &catalogue, TDM &connection);
    // Fills the dialog as Execute does, without showing it.
    void Prepare(const QList<TOrderItem> &order, const QString &localVersion, const QString &dataDir,
                 uint16_t uploadSpeed, const TKlantGegevens &customer, const TPenFFile &catalogue, TDM &connection);
    bool Uploading() const { return m_thread != nullptr; }
    const TKlantGegevens &Customer() const { return m_customer; }

public slots:
    void BtnStartClick();
    void BtnAnnulerenClick();

protected:
    void reject() override;

private:
    // IUploadFrontEnd: every call runs on the window thread.
    void ShowMsg(const QString &text) override;
    int AskMsg(const QString &text, TMsgType type, unsigned buttons, int defaultButton) override;
    int ConfirmCalculation(const QString &text, const std::vector<TCalculationRow> &rows) override;
    void ShowNews(const QString &news) override;
    void ShowServerVersion(const QString &version) override;
    void ShowOrderValue(const QString &text) override;
    void ShowSizeAndTime(const QString &size, const QString &time) override;
    void ShowOrderProgress(int position) override;
    void ShowInfoText(const QString &text) override;
    void ShowFileProgress(int position) override;
    void SetStartEnabled(bool enabled) override;
    void SetProgress(int position, const QString &text, const QString &caption) override;
    void HideProgress() override;
    void CloseDialog(int modalResult) override;
    void UploadDone(bool runUpdate) override;

    // Runs fn on the window thread and waits for it (directly when already there).
    template <typename Fn>
    auto onWindowThread(Fn fn) -> decltype(fn());

    TVoortgangsDlg &m_progress;
    TGegevensBevestingsDlg &m_confirmation;
    TConfirmCalculationDlg &m_calculation;
    std::function<void()> m_update;
    TUploadThread *m_thread = nullptr;
    bool m_closing = false;
    QPointer<TUploadThread> m_lastThread;
    TUploadOrder m_order;
    TKlantGegevens m_customer;
    QString m_dataDir;
    TDM *m_connection = nullptr;

public:
    QLabel *LblFotoAantal;
    QLabel *LblTotaleGrootte;
    QLabel *LblOrderWaarde;
    QLabel *LblUploadTijd;
    QLabel *LblLokaal;
    QLabel *LblServer;
    QLabel *LblInfo;
    QProgressBar *FileProgressBar;
    QProgressBar *OrderProgressBar;
    QLabel *StTxtInfo;
    QPushButton *BtnStart;
    QPushButton *BtnAnnuleren;
};
