#include "VerzendenDlg.h"

#include "app/DateTime.h"
#include "app/Money.h"
#include "app/Prompts.h"
#include "app/UVoortgang.h"
#include "catalogue/UConfirmCalculationDlg.h"
#include "dialogs/DialogKit.h"
#include "dialogs/UGegevensBevestiging.h"
#include "lab/UDataModule.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace {

QMessageBox::StandardButton toButton(int modalResult)
{
    switch (modalResult) {
    case mrOk: return QMessageBox::Ok;
    case mrCancel: return QMessageBox::Cancel;
    case mrRetry: return QMessageBox::Retry;
    case mrYes: return QMessageBox::Yes;
    case mrNo: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

int toModalResult(QMessageBox::StandardButton b)
{
    switch (b) {
    case QMessageBox::Ok: return mrOk;
    case QMessageBox::Retry: return mrRetry;
    case QMessageBox::Yes: return mrYes;
    case QMessageBox::No: return mrNo;
    default: return mrCancel;
    }
}

QLabel *valueLabel(const QString &text, const char *name, QWidget *parent)
{
    QLabel *l = dialogkit::PlainLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

TVerzendenDlg::TVerzendenDlg(TVoortgangsDlg &progress, TGegevensBevestingsDlg &confirmation,
                             TConfirmCalculationDlg &calculation, QWidget *parent)
    : QDialog(parent), m_progress(progress), m_confirmation(confirmation), m_calculation(calculation)
{
    setObjectName(QStringLiteral("VerzendenDlg"));
    setWindowTitle(QStringLiteral("Verzenden"));
    dialogkit::SetFixedDialogBorder(this);
    auto *v = new QVBoxLayout(this);

    auto *info = new QGroupBox(QStringLiteral("Orderinfo"), this);
    info->setObjectName(QStringLiteral("GbxOrderInfo"));
    auto *ig = new QGridLayout(info);
    LblFotoAantal = valueLabel(QStringLiteral("0"), "LblFotoAantal", info);
    LblTotaleGrootte = valueLabel(QStringLiteral("0 kB"), "LblTotaleGrootte", info);
    LblOrderWaarde = valueLabel(QStringLiteral("0,00"), "LblOrderWaarde", info);
    LblUploadTijd = valueLabel(QStringLiteral("00:00:00 (hh:mm:ss)"), "LblUploadTijd", info);
    const char *captions[] = {"Aantal foto's:", "Totale grootte:", "Orderwaarde:", "Verwachte upload-tijd:"};
    QLabel *values[] = {LblFotoAantal, LblTotaleGrootte, LblOrderWaarde, LblUploadTijd};
    for (int i = 0; i < 4; ++i) {
        auto *caption = new QLabel(QString::fromUtf8(captions[i]), info);
        caption->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        values[i]->setAccessibleName(caption->text());
        ig->addWidget(caption, i, 0);
        ig->addWidget(values[i], i, 1);
    }
    v->addWidget(info);

    auto *versions = new QGroupBox(QStringLiteral("P&&F-info"), this);
    versions->setObjectName(QStringLiteral("GroupBox1"));
    auto *vg = new QGridLayout(versions);
    LblLokaal = valueLabel(QStringLiteral("XXXXXX-XX"), "LblLokaal", versions);
    LblServer = valueLabel(QStringLiteral("XXXXXX-XX"), "LblServer", versions);
    vg->addWidget(new QLabel(QStringLiteral("Lokaal:"), versions), 0, 0);
    vg->addWidget(LblLokaal, 0, 1);
    vg->addWidget(new QLabel(QStringLiteral("Op de server:"), versions), 1, 0);
    vg->addWidget(LblServer, 1, 1);
    v->addWidget(versions);

    auto *news = new QGroupBox(QStringLiteral("Kiekjesbode-info && nieuws"), this);
    news->setObjectName(QStringLiteral("GroupBox3"));
    auto *nv = new QVBoxLayout(news);
    LblInfo = valueLabel(QString(), "LblInfo", news);
    LblInfo->setWordWrap(true);
    LblInfo->setFixedSize(360, 48);
    LblInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    nv->addWidget(LblInfo);
    v->addWidget(news);

    auto *voortgang = new QGroupBox(QStringLiteral("Voortgang"), this);
    voortgang->setObjectName(QStringLiteral("GroupBox2"));
    auto *pv = new QVBoxLayout(voortgang);
    FileProgressBar = new QProgressBar(voortgang);
    FileProgressBar->setObjectName(QStringLiteral("FileProgressBar"));
    FileProgressBar->setAccessibleName(QStringLiteral("Voortgang van het bestand"));
    OrderProgressBar = new QProgressBar(voortgang);
    OrderProgressBar->setObjectName(QStringLiteral("OrderProgressBar"));
    OrderProgressBar->setAccessibleName(QStringLiteral("Voortgang van de order"));
    for (QProgressBar *b : {FileProgressBar, OrderProgressBar}) {
        b->setRange(0, 100);
        pv->addWidget(b);
    }
    StTxtInfo = valueLabel(QStringLiteral("Klik op 'Start'..."), "StTxtInfo", voortgang);
    StTxtInfo->setFrameShape(QFrame::Panel);
    StTxtInfo->setFrameShadow(QFrame::Sunken);
    pv->addWidget(StTxtInfo);
    v->addWidget(voortgang);

    BtnStart = dialogkit::Button(QStringLiteral("&Start"), "BtnStart", this, true);
    BtnAnnuleren = dialogkit::Button(QStringLiteral("&Annuleren"), "BtnAnnuleren", this);
    v->addLayout(dialogkit::RightAlignedRow({BtnStart, BtnAnnuleren}));
    connect(BtnStart, &QPushButton::clicked, this, &TVerzendenDlg::BtnStartClick);
    connect(BtnAnnuleren, &QPushButton::clicked, this, &TVerzendenDlg::BtnAnnulerenClick);
    adjustSize();
    setFixedSize(sizeHint());
}

TVerzendenDlg::~TVerzendenDlg()
{
    // The dialog lives as long as the program; an upload still running at the end is told
    // to stop and given a moment to leave its network calls.
    if (TUploadThread *t = m_thread) {
        m_closing = true;
        t->RequestStop();
        if (m_connection)
            m_connection->AbortConnection();
        t->wait(5000);
        // The thread's end handler is posted to this thread and calls back into this dialog:
        // run it now, while the dialog still exists.
        QCoreApplication::sendPostedEvents(t);
    }
    // The thread object uses the connection until it is deleted; that must not wait for an
    // event loop that runs after the connection is gone.
    if (m_lastThread)
        QCoreApplication::sendPostedEvents(m_lastThread, QEvent::DeferredDelete);
}

void TVerzendenDlg::Prepare(const QList<TOrderItem> &order, const QString &localVersion, const QString &dataDir,
                            uint16_t uploadSpeed, const TKlantGegevens &customer, const TPenFFile &catalogue,
                            TDM &connection)
{
    setWindowTitle(QStringLiteral("Verzenden"));
    LblLokaal->setText(localVersion);
    m_order = TUploadOrder{};
    m_order.Items.assign(order.begin(), order.end());
    m_order.Catalogue = &catalogue;
    m_order.LocalVersion = localVersion;
    m_order.UploadSpeed = uploadSpeed;
    m_customer = customer;
    m_dataDir = dataDir;
    m_connection = &connection;

    qint64 prints = 0;
    qint64 size = 0;
    TCurrency value;
    for (const TOrderItem &it : order) {
        prints += it.Aantal;
        size += it.Grootte;
        value += it.Prijs;
    }
    LblFotoAantal->setText(QString::number(prints));
    LblTotaleGrootte->setText(QStringLiteral("%1 kB").arg(Round(double(size) / 1024.0)));
    if (uploadSpeed == 0) {
        LblUploadTijd->setText(QStringLiteral("onbekend (hh:mm:ss)"));
    } else {
        qint64 seconds = Round((double(size) / 1024.0) / (double(uploadSpeed) / 8.0));
        const qint64 h = seconds / 3600;
        seconds -= h * 3600;
        const qint64 m = seconds / 60;
        seconds -= m * 60;
        LblUploadTijd->setText(QStringLiteral("%1:%2:%3 (hh:mm:ss)")
                                   .arg(h, 2, 10, QLatin1Char('0'))
                                   .arg(m, 2, 10, QLatin1Char('0'))
                                   .arg(seconds, 2, 10, QLatin1Char('0')));
    }
    LblOrderWaarde->setText(money::formatMoney(value) + QStringLiteral(" (exclusief evt. porto)"));
    FileProgressBar->setValue(0);
    OrderProgressBar->setValue(0);
    setResult(QDialog::Rejected);
}

int TVerzendenDlg::Execute(const QList<TOrderItem> &order, const QString &localVersion, const QString &dataDir,
                           uint16_t uploadSpeed, const TKlantGegevens &customer, const TPenFFile &catalogue,
                           TDM &connection)
{
    Prepare(order, localVersion, dataDir, uploadSpeed, customer, catalogue, connection);
    dialogkit::CentreOnScreen(this);
    return TModal::Run(*this);
}

void TVerzendenDlg::BtnStartClick()
{
    if (m_thread || !m_connection)
        return;
    setWindowTitle(QStringLiteral("Verzenden"));
    if (m_confirmation.Execute(m_customer) != QDialog::Accepted)
        return;
    m_order.Customer = m_customer;
    m_thread = TUploadThread::Start(m_dataDir, m_order, *m_connection, *this);
    m_lastThread = m_thread;
}

void TVerzendenDlg::BtnAnnulerenClick()
{
    if (!m_thread) {
        done(QDialog::Rejected);
        return;
    }
    if (!TMessageBox::yesNo(this, QStringLiteral("Weet u zeker dat u het verzenden wilt annuleren?")))
        return;
    if (m_thread) {
        m_thread->RequestStop();
        m_connection->AbortConnection();
    }
    TMessageBox::message(this, QStringLiteral("Het verzenden van de order is geannuleerd.\rKlik op Annuleren om het "
                                              "venster te verlaten."));
}

void TVerzendenDlg::reject()
{
    // Escape goes the way of Annuleren: while an upload runs it asks first.
    BtnAnnulerenClick();
}

template <typename Fn>
auto TVerzendenDlg::onWindowThread(Fn fn) -> decltype(fn())
{
    if (QThread::currentThread() == thread())
        return fn();
    if constexpr (std::is_void_v<decltype(fn())>) {
        QMetaObject::invokeMethod(this, fn, Qt::BlockingQueuedConnection);
    } else {
        decltype(fn()) result{};
        QMetaObject::invokeMethod(this, [&] { result = fn(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

void TVerzendenDlg::ShowMsg(const QString &text)
{
    onWindowThread([&] { TMessageBox::message(this, text); });
}

int TVerzendenDlg::AskMsg(const QString &text, TMsgType type, unsigned buttons, int defaultButton)
{
    return onWindowThread([&] {
        QMessageBox::StandardButtons b;
        if (buttons & mbOK)
            b |= QMessageBox::Ok;
        if (buttons & mbCancel)
            b |= QMessageBox::Cancel;
        if (buttons & mbRetry)
            b |= QMessageBox::Retry;
        if (buttons & mbYes)
            b |= QMessageBox::Yes;
        if (buttons & mbNo)
            b |= QMessageBox::No;
        const auto icon = type == TMsgType::Confirmation ? QMessageBox::Question : QMessageBox::Information;
        return toModalResult(TMessageBox::show(this, icon, text, b, toButton(defaultButton)));
    });
}

int TVerzendenDlg::ConfirmCalculation(const QString &text, const std::vector<TCalculationRow> &)
{
    return onWindowThread([&] {
        return m_calculation.Execute(text) == TConfirmCalculationDlg::Agreed ? int(mrYes) : int(mrNo);
    });
}

void TVerzendenDlg::ShowNews(const QString &news)
{
    onWindowThread([&] { LblInfo->setText(news); });
}
void TVerzendenDlg::ShowServerVersion(const QString &version)
{
    onWindowThread([&] { LblServer->setText(version); });
}
void TVerzendenDlg::ShowOrderValue(const QString &text)
{
    onWindowThread([&] { LblOrderWaarde->setText(text); });
}
void TVerzendenDlg::ShowSizeAndTime(const QString &size, const QString &time)
{
    onWindowThread([&] {
        LblTotaleGrootte->setText(size);
        LblUploadTijd->setText(time);
    });
}
void TVerzendenDlg::ShowOrderProgress(int position)
{
    onWindowThread([&] { OrderProgressBar->setValue(position); });
}
void TVerzendenDlg::ShowInfoText(const QString &text)
{
    onWindowThread([&] { StTxtInfo->setText(text); });
}
void TVerzendenDlg::ShowFileProgress(int position)
{
    onWindowThread([&] { FileProgressBar->setValue(position); });
}
void TVerzendenDlg::SetStartEnabled(bool enabled)
{
    onWindowThread([&] { BtnStart->setEnabled(enabled); });
}
void TVerzendenDlg::SetProgress(int position, const QString &text, const QString &caption)
{
    onWindowThread([&] { m_progress.SetProgress(position, text, caption); });
}
void TVerzendenDlg::HideProgress()
{
    onWindowThread([&] { m_progress.Hide(); });
}
void TVerzendenDlg::CloseDialog(int modalResult)
{
    onWindowThread([&] { done(modalResult == mrOk ? QDialog::Accepted : QDialog::Rejected); });
}

void TVerzendenDlg::UploadDone(bool runUpdate)
{
    onWindowThread([&] {
        m_thread = nullptr;
        StTxtInfo->setText(QStringLiteral("Klik op 'Annuleren'..."));
        BtnStart->setEnabled(true);
        if (runUpdate && !m_closing) {
            setResult(QDialog::Rejected);
            QCoreApplication::processEvents();
            if (m_update)
                m_update();
            done(QDialog::Rejected);
        }
    });
}
