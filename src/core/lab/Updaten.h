#pragma once
// The catalogue update exchange: compares the local catalogue with the order server's and,
// when they differ and the user agrees, downloads the server's file over PenF.dat and
// reloads the catalogue in place. Runs on the calling (window) thread with a connection of
// its own; between waits the front end processes pending events, so the window stays
// responsive and Annuleren can end the exchange.

#include <QString>

class TDM;
class TPenFFile;
class TSettingsStore;

// The update dialog's side of the exchange. Every call is made on the calling thread.
class IUpdateFrontEnd {
public:
    virtual ~IUpdateFrontEnd() = default;
    virtual void ShowMessage(const QString &text) = 0;          // plain box with OK
    virtual bool AskYesNo(const QString &text) = 0;             // confirmation, Yes and No
    virtual void SetButtonsEnabled(bool start, bool cancel) = 0; // BtnStart, BtnAnnuleren
    virtual void SetStatusText(const QString &text) = 0;        // ScTxtMessage
    virtual void SetLocalVersion(const QString &text) = 0;      // LblLokaal
    virtual void SetServerVersion(const QString &text) = 0;     // LblServer
    virtual void SetSizeText(const QString &text) = 0;          // LblGrootte
    virtual void SetReceivedText(const QString &text) = 0;      // LblOntvangen
    virtual void SetProgress(int position) = 0;                 // ProgressBar 0..100
    // Lets the window thread process its pending events.
    virtual void ProcessEvents() = 0;
};

class TUpdateExchange {
public:
    // Results of one attempt.
    enum : int { Replaced = 0, AlreadyCurrent = 1, FileInUse = 2, NotDone = 3 };

    // How long the server may stay silent in the middle of the exchange.
    static constexpr int DefaultSilenceMs = 60000;

    TUpdateExchange(TPenFFile &catalogue, const TSettingsStore *store, IUpdateFrontEnd &frontEnd);
    ~TUpdateExchange();

    void SetSilenceLimit(int ms) { m_silenceMs = ms; }

    // One attempt (the dialog's Start); returns the result above. Both buttons are enabled
    // again whenever it returns.
    int Updaten();
    // The dialog's Annuleren during an attempt: the exchange ends as soon as the connection
    // sees it, the old catalogue file stays in place.
    void Cancel();
    bool Running() const { return m_dm != nullptr; }

    // The backup name: the extension, dot included, replaced by "old" (PenF.dat: PenFold).
    static QString BackupName(const QString &path);

    // At start-up: a download that was cut short by the program ending (a crash, a power
    // cut) leaves the backup beside a missing or partly written catalogue, and every later
    // attempt would end with "Bestand in gebruik". When the backup exists and the catalogue
    // at `path` is missing or cannot be read whole, the backup is put back in its place.
    // True when that happened. A readable catalogue beside a backup (its clean-up failed
    // after a good download) is left as it is.
    static bool RecoverInterruptedDownload(const QString &path);

private:
    int attempt(TDM &dm);
    int download(TDM &dm, const QString &path, const QString &backup);
    void restore(const QString &path, const QString &backup, bool hadFile);

    TPenFFile &m_catalogue;
    const TSettingsStore *m_store;
    IUpdateFrontEnd &m_fe;
    int m_silenceMs = DefaultSilenceMs;
    TDM *m_dm = nullptr;
    bool m_cancelled = false;
};
