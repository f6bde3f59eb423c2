#pragma once
// Scripted stand-ins for the prompt and progress interfaces, shared by the core tests.

#include "app/Feedback.h"

#include <QList>
#include <QStringList>

struct ScriptedPrompter : IPrompter {
    QStringList messages;
    QStringList questions;
    QList<bool> answers; // Yes/No answers in order; an empty queue answers `fallback`
    bool fallback = false;
    void Message(const QString &text) override { messages << text; }
    bool AskYesNo(const QString &text) override
    {
        questions << text;
        return answers.isEmpty() ? fallback : answers.takeFirst();
    }
};

struct RecordingProgress : IProgress {
    QList<int> positions;
    QStringList texts;
    bool showing = false;
    void SetProgress(int position, const QString &text, const std::optional<QString> &) override
    {
        positions << position;
        texts << text;
        showing = true;
    }
    void Hide() override { showing = false; }
    bool IsShowing() const override { return showing; }
};
