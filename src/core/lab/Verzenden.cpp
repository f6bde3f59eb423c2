#include "lab/Verzenden.h"

#include "app/DateTime.h"
#include "app/Feedback.h"
#include "catalogue/UPenF.h"
#include "lab/UDataModule.h"
#include "order/TOrderItem.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cmath>

namespace {
const QString ComposeText = QStringLiteral("Order samenstellen...");
const QString CollectText = QStringLiteral("Afbeeldingen verzamelen...");
// The maker's web address, shown when the server refuses this version of the program.
const QString MakerSite = QStringLiteral("www.lichtvonknu.nl");

// An upload given up after its own message was shown: the order is withdrawn quietly.
class EUploadGivenUp : public EKiekjesError {
public:
    EUploadGivenUp() : EKiekjesError(QString()) {}
};

QString errorText(const std::exception &e)
{
    if (const auto *k = dynamic_cast<const EKiekjesError *>(&e))
        return k->message();
    return QString::fromLocal8Bit(e.what());
}

QLocale dutch() { return QLocale(QLocale::Dutch, QLocale::Netherlands); }

// Splits seconds into hours, minutes and seconds for the time text.
QString hms(int64_t seconds)
{
    const int64_t h = seconds / 3600;
    seconds -= h * 3600;
    const int64_t m = seconds / 60;
    seconds -= m * 60;
    return QStringLiteral("%1:%2:%3")
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}
} // namespace

bool CopyFileChecked(const QString &source, const QString &destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw EInOutError(source, in.errorString());
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EInOutError(destination, QStringLiteral("Het bestand kan niet worden aangemaakt (%1)").arg(out.errorString()));
    // A copy that cannot be written (a full disk) is not the photo's fault: it raises, so
    // the upload ends instead of going on without the photo.
    auto writeFailed = [&] {
        // A short write leaves no error of its own: the disk took only part of it.
        const QString why = out.error() == QFileDevice::NoError ? QStringLiteral("niet alles kon worden geschreven") : out.errorString();
        out.close();
        QFile::remove(destination);
        return EInOutError(destination, QStringLiteral("Schrijven mislukt (%1)").arg(why));
    };
    const qint64 size = in.size();
    QByteArray piece(64 * 1024, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const qint64 n = in.read(piece.data(), piece.size());
        if (n <= 0)
            break;
        if (out.write(piece.constData(), n) != n)
            throw writeFailed();
        copied += n;
    }
    if (!out.flush())
        throw writeFailed();
    return copied == size;
}

QString ConnectionErrorMessage(int errorCode)
{
    switch (errorCode) {
    case 200: return QStringLiteral("Onbekende verbindingsfout opgetreden.");
    case 201:
        return QStringLiteral("Kan geen verbinding maken.\rControleer uw internetverbinding\rof de instellingen van uw firewall.");
    case 202:
        return QStringLiteral("Uw toepassing is mogelijk verouderd.\rKijk op \"%1\"\rof er een update beschikbaar is.")
            .arg(MakerSite);
    case 203:
        return QStringLiteral("De server kan op dit moment uw verbinding niet accepteren.\rProbeer het over enkele minuten nogmaals.");
    case 206:
        return QStringLiteral("Er is al een verbinding tot stand gebracht.\rBlijven de problemen voortduren,\rherstart dan de toepassing.");
    case 207: return QStringLiteral("Uw IP-adres is geblokkeerd.");
    default: break;
    }
    return QStringLiteral("Onbekende fout opgetreden.");
}

QString SizeText(qint64 bytes) { return QStringLiteral("%1 kB").arg(Round(double(bytes) / 1024.0)); }

QString UploadTimeText(int64_t seconds, int64_t rate)
{
    return QStringLiteral("%1 (hh:mm:ss) (%2 kb/s)").arg(hms(seconds)).arg(rate);
}

std::optional<int64_t> EstimateSeconds(qint64 bytes, unsigned speed)
{
    if (speed == 0)
        return std::nullopt;
    return Round((double(bytes) / 1024.0) / (double(speed) / 8.0));
}

QString CompletionMessage(const TMailFile &mail, const TKlantGegevens &customer, TDateTime ready,
                          const QString &shortDateFormat, const QString &longTimeFormat)
{
    const QLocale nl = dutch();
    const QString dateFormat = shortDateFormat.isEmpty() ? nl.dateFormat(QLocale::ShortFormat) : shortDateFormat;
    const QString timeFormat = longTimeFormat.isEmpty() ? QStringLiteral("HH:mm:ss") : longTimeFormat;
    const QDateTime readyAt = datetime::toQDateTime(ready);
    const QString readyDate = nl.toString(readyAt.date(), dateFormat);
    QString text = QStringLiteral("Uw order is geplaatst op ") +
                   nl.toString(datetime::toQDate(mail.OrderDate()), dateFormat) + QStringLiteral(".\r\r") +
                   QStringLiteral("Het volgende nummer dient als referentie.\r\r") + QStringLiteral("Ordernummer: ") +
                   TDM::OrderNumberText(mail.OrderNumber()) + QStringLiteral("\r\r");
    if (customer.Versturen && !customer.Snelservice) {
        text += QStringLiteral("U kunt de foto's voor of op ") + readyDate + QStringLiteral(" thuis verwachten.");
    } else if (customer.Snelservice) {
        text += QStringLiteral("U kunt de foto's op ") + readyDate + QStringLiteral(" om ") +
                nl.toString(readyAt.time(), timeFormat) + QStringLiteral(" afhalen in ") + mail.PickupLocation() +
                QStringLiteral("\r (gedurende de openingstijden of anders na 10 uur 's ochtends).");
    } else {
        text += QStringLiteral("U kunt de foto's op ") + readyDate + QStringLiteral(" afhalen in ") +
                mail.PickupLocation() + QStringLiteral(".");
    }
    return text;
}

// The connection's progress bar and text go to the send dialog's FileProgressBar and StTxtInfo.
struct TUploadThread::Feedback : TProgressTarget, TTextTarget {
    explicit Feedback(IUploadFrontEnd &fe) : m_fe(fe) {}
    int minimum() const override { return 0; }
    int maximum() const override { return 100; }
    void setPosition(int position) override
    {
        // One call per whole percent, not one per piece.
        if (position != m_last) {
            m_last = position;
            m_fe.ShowFileProgress(position);
        }
    }
    void setText(const QString &text) override
    {
        if (text != m_lastText) {
            m_lastText = text;
            m_fe.ShowInfoText(text);
        }
    }
    IUploadFrontEnd &m_fe;
    int m_last = -1;
    QString m_lastText;
};

TUploadThread::TUploadThread(const QString &dataDir, const TUploadOrder &order, TDM &connection,
                             IUploadFrontEnd &frontEnd)
    : m_dataDir(dataDir.endsWith(QLatin1Char('/')) ? dataDir : dataDir + QLatin1Char('/')), m_order(order),
      m_dm(connection), m_fe(frontEnd), m_feedback(std::make_unique<Feedback>(frontEnd))
{
    m_journal = m_dataDir + QStringLiteral("OrderFile");
    m_orderDataDir = m_dataDir + QStringLiteral("OrderData/");
}

TUploadThread::~TUploadThread()
{
    wait();
    m_dm.SetFeedbackControls(nullptr, nullptr, nullptr, nullptr, nullptr);
}

TUploadThread *TUploadThread::Start(const QString &dataDir, const TUploadOrder &order, TDM &connection,
                                    IUploadFrontEnd &frontEnd)
{
    auto *t = new TUploadThread(dataDir, order, connection, frontEnd);
    connection.SetFeedbackControls(nullptr, nullptr, nullptr, t->m_feedback.get(), t->m_feedback.get());
    frontEnd.ShowInfoText(ComposeText);
    frontEnd.SetStartEnabled(false);
    try {
        t->m_mail = std::make_unique<TMailFile>(t->m_journal, order.Catalogue);
        t->m_mail->setMessageSink([&frontEnd](const QString &text) { frontEnd.ShowMsg(text); });
        const QString folder = t->m_orderDataDir.chopped(1);
        if (QFileInfo(folder).isDir())
            DeleteDirectory(folder);
        if (!QDir().mkpath(folder))
            throw EInOutError(folder, QStringLiteral("Map kan niet worden gemaakt"));
    } catch (const std::exception &e) {
        // No thread runs: the dialog stays usable.
        delete t;
        frontEnd.ShowMsg(errorText(e));
        frontEnd.SetStartEnabled(true);
        return nullptr;
    }
    connect(t, &QThread::finished, t, &TUploadThread::UploadDone);
    t->start();
    return t;
}

void TUploadThread::RequestStop()
{
    m_stop = true;
    requestInterruption();
}

void TUploadThread::UploadDone()
{
    m_dm.SetFeedbackControls(nullptr, nullptr, nullptr, nullptr, nullptr);
    m_mail.reset();
    m_fe.UploadDone(m_runUpdate);
    emit uploadFinished();
    deleteLater();
}

void TUploadThread::progress(int position, const QString &text)
{
    m_fe.SetProgress(position, text, ApplicationTitle() + QStringLiteral(" - Samenstellen"));
}

void TUploadThread::showSizeAndTime(const QString &time) { m_fe.ShowSizeAndTime(m_totalSizeText, time); }

bool TUploadThread::composeAndCollect(qint64 &totalBytes)
{
    try {
        // Phase 1: compose.
        progress(0, ComposeText);
        m_mail->SetCustomer(m_order.Customer);
        const size_t n = m_order.Items.size();
        progress(int(Round(1.0 / double(n + 1) * 1000.0)), ComposeText);
        totalBytes = 0;
        for (size_t i = 0; i < n; ++i) {
            const uint16_t before = m_mail->FileCount();
            m_mail->AddOrderItem(m_order.Items[i]);
            if (m_mail->FileCount() > before)
                totalBytes += m_order.Items[i].Grootte;
            progress(int(Round(double(i + 2) / double(n + 1) * 1000.0)), ComposeText);
        }
        try {
            if (!m_mail->SaveToFile())
                throw EInOutError(m_journal, QStringLiteral("Bestand kan niet worden geschreven"));
        } catch (const std::exception &e) {
            m_fe.ShowMsg(errorText(e));
            m_fe.HideProgress();
            return false;
        }
        progress(1000, ComposeText);
        m_fe.HideProgress();

        collectPhotos();

        // Phase 3: estimate.
        m_totalSizeText = SizeText(totalBytes);
        const auto seconds = EstimateSeconds(totalBytes, m_order.UploadSpeed);
        showSizeAndTime(seconds ? UploadTimeText(*seconds, m_order.UploadSpeed)
                                : QStringLiteral("--:--:-- (hh:mm:ss) (0 kb/s)"));
        return true;
    } catch (const std::exception &e) {
        m_fe.HideProgress();
        m_fe.ShowMsg(errorText(e));
        return false;
    }
}

void TUploadThread::collectPhotos()
{
    // Phase 2: the files are visited from the last to the first.
    progress(0, CollectText);
    for (int k = int(m_mail->FileCount()) - 1; k >= 0; --k) {
        const QString path = m_mail->FileName(k);
        const QString target = m_orderDataDir + QString::number(m_mail->FileNumber(path));
        if (QFileInfo::exists(path)) {
            if (!CopyFileChecked(path, target)) {
                m_fe.ShowMsg(QStringLiteral("Fout bij kopiëren opgetreden. Bestand wordt uit de order verwijderd!"));
                QFile::remove(target);
                m_mail->RemoveFile(path);
            }
        } else {
            const QString question = QStringLiteral("Het bestand \"") + path +
                                     QStringLiteral("\" kon niet worden gevonden. Heeft u de bron verwijderd en wilt u "
                                                    "de afbeelding alsnog laden, of wilt u de afbeelding uit de order "
                                                    "verwijderen?");
            for (;;) {
                if (m_fe.AskMsg(question, TMsgType::Confirmation, mbRetry | mbCancel, mrRetry) != mrRetry) {
                    m_mail->RemoveFile(path);
                    break;
                }
                QThread::msleep(unsigned(MissingRetryMs));
                if (QFileInfo::exists(path) && CopyFileChecked(path, target))
                    break;
            }
        }
        const int f = m_mail->FileCount();
        progress(int(Round(double(f - k + 1) / double(f + 1) * 1000.0)), CollectText);
    }
    progress(1000, CollectText);
    m_fe.HideProgress();
}

void TUploadThread::run()
{
    const QString savedHost = m_dm.Host();
    m_fe.ShowOrderProgress(0);
    qint64 totalBytes = 0;
    if (!composeAndCollect(totalBytes))
        return;
    if (StopRequested())
        return; // nothing was sent
    if (m_mail->FileCount() == 0) {
        m_fe.ShowMsg(QStringLiteral("De order bevat geen foto's meer en wordt niet verzonden."));
        return;
    }

    // Phase 4: connect to the pickup location's host (empty: the default host).
    const QString host =
        m_order.Catalogue ? m_order.Catalogue->LocationHost(m_mail->PickupLocation()) : QString();
    if (!m_dm.Connect(host)) {
        m_fe.ShowMsg(ConnectionErrorMessage(m_dm.ErrorCode()));
        m_dm.SetHost(savedHost);
        return;
    }
    if (StopRequested()) {
        // Stopped while connecting: nothing is sent.
        m_dm.Disconnect();
        m_dm.SetHost(savedHost);
        return;
    }

    // From here on the clean-up always runs.
    const std::optional<QString> completed = sendOrder(totalBytes, savedHost);
    if (completed) {
        m_dm.Disconnect();
        m_fe.ShowMsg(*completed);
        m_fe.CloseDialog(mrOk);
    }

    // Phase 10: clean-up.
    try {
        m_mail->SaveToFile();
    } catch (const std::exception &e) {
        m_fe.ShowMsg(errorText(e));
    }
    if (m_dm.IsConnected())
        m_dm.Disconnect();
    m_dm.SetHost(savedHost);
}

std::optional<QString> TUploadThread::sendOrder(qint64 totalBytes, const QString &savedHost)
{
    // Phase 5: news and catalogue version.
    try {
        m_fe.ShowNews(m_dm.GetNewsAndInfo());
        QString serverVersion;
        const bool equal = m_dm.CheckPFVersion(m_order.LocalVersion, serverVersion);
        if (!serverVersion.isEmpty())
            m_fe.ShowServerVersion(serverVersion);
        if (!equal && serverVersion.isEmpty()) {
            m_fe.ShowMsg(QStringLiteral("Er wordt een nieuw bestand op de server\rgeïnstalleerd.\rProbeer het over "
                                        "enkele ogenblikken nogmaals."));
            return std::nullopt;
        }
        if (!equal) {
            m_dm.Disconnect();
            m_dm.SetHost(savedHost);
            m_fe.AskMsg(QStringLiteral("Uw P&&F-bestand is verouderd.\rU wordt nu gevraagd om een nieuw P&&F-bestand "
                                       "te downloaden.\rKlik op [Start] in het volgende venster.\rHierna kunt u de "
                                       "order opnieuw verzenden."),
                        TMsgType::Information, mbOK, -1);
            m_runUpdate = true;
            return std::nullopt;
        }
    } catch (const std::exception &e) {
        // A connection lost here is reported too, unless the user stopped the upload.
        if (!StopRequested())
            m_fe.ShowMsg(errorText(e));
        return std::nullopt;
    }

    // Phases 6 to 9 inside the failure guard.
    const int fileCountPlus1 = m_mail->FileCount() + 1;
    int32_t orderNr = 0;
    auto withdraw = [&] {
        try {
            m_dm.DeleteOrder(TDM::OrderNumberText(orderNr));
        } catch (const std::exception &) {
            // An aborted or broken connection cannot take it any more.
        }
    };
    try {
        // Phase 6: the container.
        QByteArray container;
        QBuffer stream(&container);
        stream.open(QIODevice::ReadWrite);
        m_mail->SaveToStream(stream);
        orderNr = m_dm.SendFile(QStringLiteral("-"), 0, stream);
        m_fe.ShowOrderProgress(int(Round(1.0 / double(fileCountPlus1) * 100.0)));
        if (orderNr == 0 || !m_dm.LastSendAccepted()) {
            orderNr = 0;
            throw EKiekjesError(QStringLiteral("Fout opgetreden bij het versturen van het orderbestand."));
        }
        m_mail->SetOrderNumber(orderNr);
        m_mail->SaveToFile();
        const QString nrText = TDM::OrderNumberText(orderNr);

        // Phase 7: the calculation.
        QStringList lines;
        if (!m_dm.CalculateOrder(nrText, lines))
            throw EKiekjesError(QStringLiteral("Fout opgetreden bij het laten berekenen van de kosten.\rProbeer opnieuw."));
        m_fe.ShowOrderValue(money::formatMoney(OrderTotal(lines)) + QStringLiteral(" (inclusief evt. porto)"));
        int result = mrNo;
        try {
            const std::vector<TCalculationRow> rows = CalculationRows(lines);
            result = m_fe.ConfirmCalculation(lines.join(QStringLiteral("\r\n")), rows);
        } catch (const EConvertError &e) {
            // The table cannot be built: its error is shown and the calculation not approved.
            m_fe.ShowMsg(e.message());
        }
        if (result != mrYes) {
            withdraw();
            return std::nullopt;
        }

        sendPhotos(totalBytes, fileCountPlus1, nrText);
        return finalise(nrText);
    } catch (const EOrderUploadTerminated &) {
        withdraw();
    } catch (const EUploadGivenUp &) {
        withdraw();
    } catch (const std::exception &e) {
        withdraw();
        if (!StopRequested())
            m_fe.ShowMsg(errorText(e));
    }
    return std::nullopt;
}

void TUploadThread::sendPhotos(qint64 totalBytes, int fileCountPlus1, const QString &orderNr)
{
    // Phase 8: the photos, pass after pass until every one has arrived.
    const TDateTime sendStart = datetime::now();
    qint64 sentBytes = 0;
    while (!m_mail->AllSent() && !StopRequested()) {
        for (int i = 0; i < m_mail->FileCount(); ++i) {
            const QString path = m_mail->FileName(i);
            const uint16_t fileNr = m_mail->FileNumber(path);
            bool sent = false;
            m_mail->GetSent(path, sent);
            bool givenUp = false;
            if (!sent) {
                const QString local = m_orderDataDir + QString::number(fileNr);
                if (!QFileInfo::exists(local)) {
                    m_fe.ShowMsg(QStringLiteral("Bestand \"") + path + QStringLiteral("\" bestaat niet of is verplaatst!"));
                    // Asking again on every pass would never end: the order is withdrawn.
                    throw EUploadGivenUp();
                }
                for (;;) {
                    QFile file(local);
                    if (!file.open(QIODevice::ReadOnly))
                        throw EInOutError(local, file.errorString());
                    const int32_t r = m_dm.SendFile(orderNr, fileNr, file);
                    const bool accepted = m_dm.LastSendAccepted();
                    const bool ok = accepted && r == m_mail->OrderNumber();
                    if (r != m_mail->OrderNumber())
                        m_fe.ShowMsg(QStringLiteral("OrderNr (local): ") + TDM::OrderNumberText(m_mail->OrderNumber()) +
                                     QStringLiteral("\rOrderNr (received): ") + TDM::OrderNumberText(r));
                    if (ok) {
                        sentBytes += file.size();
                        const int64_t e = int64_t(std::floor((datetime::now() - sendStart) * 86400.0 + 1e-6));
                        const double left = double(totalBytes - sentBytes) / 1024.0;
                        const double perSecond = e > 0 ? double(sentBytes) / double(e) : double(sentBytes);
                        const int64_t remaining = perSecond > 0 ? Round(left / (perSecond / 1024.0)) : 0;
                        const int64_t rate = Round(perSecond / 1024.0 * 8.0);
                        showSizeAndTime(UploadTimeText(std::max<int64_t>(remaining, 0), rate));
                    }
                    m_mail->SetSent(path, ok);
                    m_mail->SaveToFile();
                    file.close();
                    if (ok)
                        break;
                    const QString notArrived =
                        QStringLiteral("Bestand \"") + path + QStringLiteral("\" is niet goed aan gekomen!");
                    if (!accepted) {
                        // The server refused the block: sending it again would be refused again.
                        throw EKiekjesError(notArrived);
                    }
                    m_fe.ShowMsg(notArrived);
                    if (StopRequested()) {
                        givenUp = true;
                        break;
                    }
                }
            }
            if (!givenUp)
                m_fe.ShowOrderProgress(int(Round(double(i + 2) / double(fileCountPlus1) * 100.0)));
            if (StopRequested())
                break;
        }
    }
    if (StopRequested())
        throw EOrderUploadTerminated();
}

QString TUploadThread::finalise(const QString &orderNr)
{
    // Phase 9: receive date and ready date.
    m_mail->SetOrderDate(m_dm.GetReceiveDate(orderNr));
    m_mail->SaveToFile();
    TDateTime ready = 0;
    int attempts = 0;
    do {
        ready = m_dm.GetOrderReady(orderNr);
        ++attempts;
    } while (!(ready > 0) && attempts < 3);
    if (!(ready > 0))
        throw EKiekjesError(QStringLiteral("Afronden van de order is mislukt."));
    const QString message =
        CompletionMessage(*m_mail, m_order.Customer, ready, m_order.ShortDateFormat, m_order.LongTimeFormat);
    DeleteDirectory(m_orderDataDir.chopped(1));
    return message;
}
