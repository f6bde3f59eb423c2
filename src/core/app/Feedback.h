#pragma once
// The small interfaces through which core operations talk to the user: plain messages,
// Yes/No questions and the progress dialog. The window layer implements them with real
// boxes; tests implement them with scripted answers.

#include <QString>
#include <functional>
#include <optional>

class IPrompter {
public:
    virtual ~IPrompter() = default;
    // A plain message box with an OK button. "\r" in the text is a line break.
    virtual void Message(const QString &text) = 0;
    // A question with the buttons Yes and No; true for Yes.
    virtual bool AskYesNo(const QString &text) = 0;
};

// The progress dialog: positions 0..1000, a text for the current step and an optional caption
// (without one the previous caption stays). The first SetProgress shows the dialog; the caller
// hides it.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void SetProgress(int position, const QString &text, const std::optional<QString> &caption = std::nullopt) = 0;
    virtual void Hide() = 0;
    virtual bool IsShowing() const = 0;
};

// Hooks of a long operation: where to report, and how to let the window process pending
// messages between elements (skipped when the "Verhoog snelheid" setting is on).
struct TOperationHooks {
    IPrompter *prompter = nullptr;
    IProgress *progress = nullptr;
    std::function<void()> processEvents;

    void message(const QString &text) const
    {
        if (prompter)
            prompter->Message(text);
    }
    bool askYesNo(const QString &text) const { return prompter ? prompter->AskYesNo(text) : false; }
    void setProgress(int position, const QString &text, const std::optional<QString> &caption = std::nullopt) const
    {
        if (progress)
            progress->SetProgress(position, text, caption);
    }
    void hideProgress() const
    {
        if (progress)
            progress->Hide();
    }
    bool progressShowing() const { return progress && progress->IsShowing(); }
    void pump() const
    {
        if (processEvents)
            processEvents();
    }
};

// The application title used as the progress dialog's caption.
inline QString ApplicationTitle() { return QStringLiteral("Kiekjes Bode"); }
