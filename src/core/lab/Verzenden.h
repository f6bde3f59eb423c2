#pragma once
// TUploadThread: sending one order to the order server as the job of a thread of its own.
// Ten phases: compose the container journal, collect the photos into a private folder,
// estimate, connect, news and catalogue version, send the container, have the calculation
// approved, send the photos, finalise, report and clean up.
//
// The thread never touches a window: everything it shows or asks goes through
// IUploadFrontEnd, whose calls are synchronous (the send dialog runs them on the window
// thread with blocking queued calls while the thread waits).

#include "app/Definities.h"
#include "app/Errors.h"
#include "app/Money.h"
#include "catalogue/UBerekening.h"
#include "lab/UMailFile.h"

#include <QThread>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class TDM;
class TPenFFile;
struct TOrderItem;

// The toolkit's modal result numbers.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

enum class TMsgType { Information, Confirmation };

// Buttons of a question, as a set of flags.
enum TMsgButton : unsigned {
    mbOK = 1u << 0,
    mbCancel = 1u << 1,
    mbRetry = 1u << 2,
    mbYes = 1u << 3,
    mbNo = 1u << 4,
};

// The window side of an upload. Every call is made from the upload thread and returns when
// the window thread has done it, except the calls of TUploadThread::Start and UploadDone,
// which come from the window thread itself (an implementation runs a call directly when it
// is already on the window thread).
class IUploadFrontEnd {
public:
    virtual ~IUploadFrontEnd() = default;

    // A plain message box with OK. "\r" is a line break.
    virtual void ShowMsg(const QString &text) = 0;
    // A message box with the given kind and buttons; `defaultButton` is a modal result
    // number or -1 for none. Returns the modal result of the button pressed.
    virtual int AskMsg(const QString &text, TMsgType type, unsigned buttons, int defaultButton) = 0;
    // The calculation confirmation dialog: `text` is the received lines joined with CR LF,
    // `rows` the table built from them. Returns mrYes when approved.
    virtual int ConfirmCalculation(const QString &text, const std::vector<TCalculationRow> &rows) = 0;

    // The send dialog's labels and bars.
    virtual void ShowNews(const QString &news) = 0;                 // LblInfo
    virtual void ShowServerVersion(const QString &version) = 0;     // LblServer
    virtual void ShowOrderValue(const QString &text) = 0;           // LblOrderWaarde
    virtual void ShowSizeAndTime(const QString &size, const QString &time) = 0; // LblTotaleGrootte, LblUploadTijd
    virtual void ShowOrderProgress(int position) = 0;              // OrderProgressBar 0..100
    virtual void ShowInfoText(const QString &text) = 0;            // StTxtInfo
    virtual void ShowFileProgress(int position) = 0;              // FileProgressBar 0..100
    virtual void SetStartEnabled(bool enabled) = 0;               // BtnStart

    // The progress dialog (positions 0..1000); the first SetProgress shows it.
    virtual void SetProgress(int position, const QString &text, const QString &caption) = 0;
    virtual void HideProgress() = 0;

    // Closes the send dialog with a modal result (OK after a completed upload).
    virtual void CloseDialog(int modalResult) = 0;

    // Runs on the window thread after the thread body has ended, however it ended: the
    // dialog forgets the thread, StTxtInfo becomes "Klik op 'Annuleren'...", Start is
    // enabled. With `runUpdate` the dialog's result becomes Cancel, pending events run, the
    // catalogue update command runs, and the dialog closes with Cancel when it has finished.
    virtual void UploadDone(bool runUpdate) = 0;
};

// Everything the upload reads from the send dialog; set before the thread starts and not
// changed while it runs.
struct TUploadOrder {
    std::vector<TOrderItem> Items;      // the order list, in list order
    TKlantGegevens Customer;            // as confirmed by the user
    const TPenFFile *Catalogue = nullptr;
    QString LocalVersion;               // the local catalogue version text
    uint16_t UploadSpeed = 56;          // kbit/s
    // How dates and times are written in the final message.
    QString ShortDateFormat;            // empty: the Dutch short date format
    QString LongTimeFormat;             // empty: the Dutch long time format, HH:mm:ss
};

// Copies a file byte for byte; true when the number of bytes copied equals the source's
// size. Failing to open either file, or to write the copy, raises EInOutError (a copy that
// could not be written is removed).
bool CopyFileChecked(const QString &source, const QString &destination);

// The message for a connection error code of TDM::Connect.
QString ConnectionErrorMessage(int errorCode);

// "%d kB" of a byte count, and the "%.2d:%.2d:%.2d (hh:mm:ss) (%d kb/s)" time text.
QString SizeText(qint64 bytes);
QString UploadTimeText(int64_t seconds, int64_t rate);
// The estimate at the configured speed (kbit/s) for a byte count; nothing for speed 0.
std::optional<int64_t> EstimateSeconds(qint64 bytes, unsigned speed);

// The closing message of a completed upload.
QString CompletionMessage(const TMailFile &mail, const TKlantGegevens &customer, TDateTime ready,
                          const QString &shortDateFormat, const QString &longTimeFormat);

// Raised inside the thread only, to leave the send phase after a stop request; never shown.
class EOrderUploadTerminated : public EKiekjesError {
public:
    EOrderUploadTerminated() : EKiekjesError(QStringLiteral("Verzenden geannulueerd!")) {}
};

class TUploadThread : public QThread {
    Q_OBJECT
public:
    // Creates the upload for the data folder (ending with a separator, or not) and starts it.
    // The thread frees itself after UploadDone. When the photo folder cannot be emptied the
    // error's text is shown, Start is enabled again, and nothing is returned.
    static TUploadThread *Start(const QString &dataDir, const TUploadOrder &order, TDM &connection,
                                IUploadFrontEnd &frontEnd);

    ~TUploadThread() override;

    // The stop request of the send dialog's Annuleren; with AbortConnection on the
    // connection it ends a running transfer.
    void RequestStop();
    bool StopRequested() const { return m_stop.load(); }

    // Journal and photo folder of this upload.
    QString JournalFile() const { return m_journal; }
    QString OrderDataDir() const { return m_orderDataDir; }

    // How long a missing photo's retry waits before it looks again (5 s).
    static inline int MissingRetryMs = 5000;

signals:
    // After UploadDone, just before the thread object goes.
    void uploadFinished();

protected:
    void run() override;

private:
    TUploadThread(const QString &dataDir, const TUploadOrder &order, TDM &connection, IUploadFrontEnd &frontEnd);
    void UploadDone();

    bool composeAndCollect(qint64 &totalBytes);
    void progress(int position, const QString &text);
    void collectPhotos();
    std::optional<QString> sendOrder(qint64 totalBytes, const QString &savedHost);
    void sendPhotos(qint64 totalBytes, int fileCountPlus1, const QString &orderNr);
    QString finalise(const QString &orderNr);
    void showSizeAndTime(const QString &time);

    QString m_dataDir;
    QString m_journal;
    QString m_orderDataDir;
    TUploadOrder m_order;
    TDM &m_dm;
    IUploadFrontEnd &m_fe;
    std::unique_ptr<TMailFile> m_mail;
    std::atomic_bool m_stop{false};
    bool m_runUpdate = false;
    QString m_totalSizeText;
    struct Feedback;
    std::unique_ptr<Feedback> m_feedback;
};
