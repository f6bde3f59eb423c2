#include "lab/Updaten.h"

#include "app/Definities.h"
#include "catalogue/UPenF.h"
#include "lab/UDataModule.h"

#include <QFile>
#include <QFileInfo>

namespace {
QString localVersion(const TPenFFile &catalogue)
{
    return VersieTekst(catalogue.Versienummer(), catalogue.Versiedatum());
}

// The connection's status texts go to ScTxtMessage.
struct StatusTarget : TTextTarget {
    explicit StatusTarget(IUpdateFrontEnd &fe) : m_fe(fe) {}
    void setText(const QString &text) override { m_fe.SetStatusText(text); }
    IUpdateFrontEnd &m_fe;
};

const QString BrokenText = QStringLiteral("De verbinding met de server is verbroken.\rProbeer het later nog eens.");
const QString CancelledText = QStringLiteral("Het bijwerken is geannuleerd.");
const QString DamagedText = QStringLiteral("Bestand is beschadigd!\rProbeer het later nog eens.");
// The new file could not be written here (a full disk): the old one stays in use.
QString WriteFailedText(const QString &reason)
{
    return QStringLiteral("Het nieuwe bestand met prijzen en formaten kan niet worden opgeslagen:\r") + reason
        + QStringLiteral("\rDe bestaande prijzen en formaten blijven in gebruik.");
}
} // namespace

TUpdateExchange::TUpdateExchange(TPenFFile &catalogue, const TSettingsStore *store, IUpdateFrontEnd &frontEnd)
    : m_catalogue(catalogue), m_store(store), m_fe(frontEnd)
{
}

TUpdateExchange::~TUpdateExchange() = default;

QString TUpdateExchange::BackupName(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? path : path.left(path.size() - (name.size() - dot));
    return base + QStringLiteral("old");
}

bool TUpdateExchange::RecoverInterruptedDownload(const QString &path)
{
    const QString backup = BackupName(path);
    if (!QFileInfo(backup).isFile())
        return false;
    if (QFileInfo::exists(path)) {
        try {
            TPenFFile probe(path, 0.0, uint8_t(0));
            probe.LoadFromFile();
            return false;
        } catch (const EKiekjesError &) {
        }
        if (!QFile::remove(path))
            return false;
    }
    return QFile::rename(backup, path);
}

void TUpdateExchange::Cancel()
{
    m_cancelled = true;
    if (m_dm)
        m_dm->AbortConnection();
}

int TUpdateExchange::Updaten()
{
    m_fe.SetButtonsEnabled(false, false);
    m_cancelled = false;
    int result = NotDone;
    {
        // A client of its own, with the host and port of the settings store.
        TDM dm(m_store);
        StatusTarget status(m_fe);
        dm.SetFeedbackControls(&status, nullptr, nullptr, nullptr, nullptr);
        dm.SetIdleHook([this] { m_fe.ProcessEvents(); });
        dm.SetSilenceLimit(m_silenceMs);
        m_dm = &dm;
        m_fe.ProcessEvents();
        try {
            result = attempt(dm);
        } catch (const std::exception &) {
            // A connection lost before the catalogue was touched.
            m_fe.ShowMessage(m_cancelled ? CancelledText : BrokenText);
            result = NotDone;
        }
        dm.CloseUpdateConnection();
        dm.SetFeedbackControls(nullptr, nullptr, nullptr, nullptr, nullptr);
        m_dm = nullptr;
    }
    m_fe.SetButtonsEnabled(true, true);
    return result;
}

int TUpdateExchange::attempt(TDM &dm)
{
    switch (dm.OpenUpdateConnection()) {
    case TDM::TUpdateGreeting::Failed:
        m_fe.ShowMessage(QStringLiteral("Kan geen verbinding maken.\rControleer of er verbinding met internet is,\rof "
                                        "controleer de instellingen van uw firewall."));
        m_fe.SetStatusText(QStringLiteral("Klik op 'Start'"));
        return NotDone;
    case TDM::TUpdateGreeting::Blocked:
        m_fe.ShowMessage(QStringLiteral("Uw IP-adres is geblokkeerd.\rNeem contact op met \"Lichtvonk Nu\"."));
        return NotDone;
    case TDM::TUpdateGreeting::Unavailable:
        m_fe.ShowMessage(QStringLiteral("Er kan momenteel niet gecontroleerd worden\rop een nieuwe versie.\rProbeer "
                                        "het later nog eens."));
        return NotDone;
    case TDM::TUpdateGreeting::Go: break;
    }

    QString serverVersion;
    switch (dm.AskCatalogueVersion(serverVersion)) {
    case TDM::TVersionReply::Retry:
        m_fe.ShowMessage(QStringLiteral("Er wordt een nieuw bestand op de server \rgeïnstalleerd.\rProbeer het over "
                                        "enkele ogenblikken nogmaals."));
        return NotDone;
    case TDM::TVersionReply::Other:
        m_fe.ShowMessage(QStringLiteral("Bijwerken momenteel niet mogelijk.\rProbeert u het later nog eens."));
        return NotDone;
    case TDM::TVersionReply::Version: break;
    }
    m_fe.SetServerVersion(serverVersion);
    m_fe.ProcessEvents();

    const QString local = localVersion(m_catalogue);
    m_fe.SetLocalVersion(local);
    if (serverVersion.compare(local, Qt::CaseInsensitive) == 0) {
        m_fe.ShowMessage(QStringLiteral("Uw P&&F-versie hoeft niet bijgwerkt te worden."));
        return AlreadyCurrent;
    }
    if (!m_fe.AskYesNo(QStringLiteral("Wilt u het nieuwe P&&F-bestand downloaden?")))
        return NotDone;

    // Annuleren ends the download from here on; the attempt's result decides how the
    // dialog closes.
    m_fe.SetButtonsEnabled(false, true);
    const QString path = m_catalogue.GetFileName();
    const QString backup = BackupName(path);
    const bool hadFile = QFileInfo::exists(path);
    if (hadFile && (QFileInfo::exists(backup) || !QFile::rename(path, backup))) {
        m_fe.ShowMessage(QStringLiteral("Bijwerken onmogelijk:\rBestand in gebruik."));
        return FileInUse;
    }
    try {
        return download(dm, path, backup);
    } catch (...) {
        restore(path, backup, hadFile);
        throw;
    }
}

int TUpdateExchange::download(TDM &dm, const QString &path, const QString &backup)
{
    const bool hadFile = QFileInfo::exists(backup);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_fe.ShowMessage(WriteFailedText(
            EInOutError(path, QStringLiteral("Het bestand kan niet worden aangemaakt (%1)").arg(file.errorString())).message()));
        restore(path, backup, hadFile);
        return NotDone;
    }
    uint64_t announced = 0;
    qint64 received = 0;
    qint64 workMax = 0;
    auto work = [&](qint64 done, qint64 total) {
        if (done == 0) {
            workMax = total;
            m_fe.SetSizeText(QStringLiteral("%1 kB").arg(Round(double(announced) / 1024.0)));
            m_fe.ProcessEvents();
            m_fe.SetSizeText(QStringLiteral("%1 kB").arg(Round(double(total) / 1024.0)));
            m_fe.SetReceivedText(QStringLiteral("0 kB (0%)"));
        } else {
            m_fe.SetReceivedText(SendProgressText(done, total));
            m_fe.SetProgress(int(Round(double(done) / double(total) * 100.0)));
        }
        m_fe.ProcessEvents();
    };
    bool sending = false;
    try {
        sending = dm.ReceiveCatalogue(file, announced, received, work);
    } catch (const EInOutError &) {
        const QString why = file.errorString();
        file.close();
        m_fe.ShowMessage(WriteFailedText(EInOutError(path, QStringLiteral("Schrijven mislukt (%1)").arg(why)).message()));
        restore(path, backup, hadFile);
        return NotDone;
    } catch (const std::exception &) {
        file.close();
        m_fe.ShowMessage(m_cancelled ? CancelledText : BrokenText);
        restore(path, backup, hadFile);
        return NotDone;
    }
    if (!sending) {
        file.close();
        m_fe.ShowMessage(QStringLiteral("Er wordt een nieuwe bestand op de server \rgeïnstalleerd.\rProbeer het over "
                                        "enkele ogenblikken nogmaals."));
        restore(path, backup, hadFile);
        return NotDone;
    }
    m_fe.SetReceivedText(SendProgressText(workMax, workMax));
    m_fe.SetProgress(100);
    m_fe.ProcessEvents();
    if (!file.flush()) {
        const QString why = file.errorString();
        file.close();
        try {
            dm.ConfirmCatalogue(false);
        } catch (const std::exception &) {
        }
        dm.CloseUpdateConnection();
        m_fe.ShowMessage(WriteFailedText(EInOutError(path, QStringLiteral("Schrijven mislukt (%1)").arg(why)).message()));
        restore(path, backup, hadFile);
        return NotDone;
    }
    bool damaged = uint64_t(file.size()) != announced;
    file.close();
    try {
        dm.ConfirmCatalogue(!damaged);
    } catch (const std::exception &) {
        // The file is judged by its own bytes; the server only misses the verdict.
    }
    dm.CloseUpdateConnection();

    if (!damaged) {
        try {
            m_catalogue.Clear();
            m_catalogue.Open(path);
        } catch (const std::exception &) {
            damaged = true;
        }
    }
    if (damaged) {
        m_fe.ShowMessage(DamagedText);
        restore(path, backup, hadFile);
        if (hadFile) {
            // The catalogue object goes back to the old file.
            try {
                m_catalogue.Clear();
                m_catalogue.Open(path);
            } catch (const std::exception &) {
            }
        }
        return NotDone;
    }
    m_fe.SetLocalVersion(localVersion(m_catalogue));
    if (hadFile && !QFile::remove(backup))
        m_fe.ShowMessage(QStringLiteral("Opruimen van \"") + backup + QStringLiteral("\" mislukt."));
    return Replaced;
}

void TUpdateExchange::restore(const QString &path, const QString &backup, bool hadFile)
{
    QFile::remove(path);
    if (hadFile)
        QFile::rename(backup, path);
}
