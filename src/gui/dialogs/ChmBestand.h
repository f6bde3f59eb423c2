#pragma once
// Read access to a compiled HTML help file (.chm) through libchm: the pages, style sheets and
// pictures stored in it, its title, default page and table of contents.

#include "help/ChmInhoud.h"

#include <QByteArray>
#include <optional>

class TChmBestand {
public:
    TChmBestand() = default;
    ~TChmBestand();
    TChmBestand(const TChmBestand &) = delete;
    TChmBestand &operator=(const TChmBestand &) = delete;

    // False when the build has no libchm.
    static bool Beschikbaar();

    // Opens the file; false when it is missing or not a readable help file.
    bool Open(const QString &fileName);
    bool IsOpen() const { return m_file != nullptr; }
    void Close();

    // The bytes of one stored object ("/index.html"); nothing when it is absent or larger
    // than MaxObject.
    std::optional<QByteArray> Read(const QString &path) const;

    QString Title() const { return m_title; }
    // The first page to show: the default topic, else the first page of the contents, else
    // "/index.html".
    QString DefaultPage() const;
    const QList<TChmOnderwerp> &Contents() const { return m_contents; }

    static constexpr qint64 MaxObject = 16 * 1024 * 1024;

private:
    struct chmFile *m_file = nullptr;
    QString m_title;
    QString m_defaultTopic;
    QList<TChmOnderwerp> m_contents;
};
