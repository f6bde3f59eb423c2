#pragma once
// The program's own help window: the table of contents of "Kiekjesbode.chm" on the left, the
// chosen page on the right. Pages, style sheets and pictures are read from the help file, so
// a desktop without a help viewer can read the help too.

#include "ChmBestand.h"

#include <QStringList>
#include <QTextBrowser>
#include <QWidget>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

// A text browser whose pages and pictures come from an open help file.
class THelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    THelpBrowser(const TChmBestand &file, QWidget *parent);
    QVariant loadResource(int type, const QUrl &name) override;

private:
    void FollowLink(const QUrl &link);
    const TChmBestand &m_file;
};

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    // Takes an open help file and shows its default page.
    THelpViewer(std::unique_ptr<TChmBestand> file, const QString &fileName, QWidget *parent = nullptr);
    ~THelpViewer() override;

    QString FileName() const { return m_fileName; }
    // The page shown, "/index.html".
    QString CurrentPage() const;
    void ShowPage(const QString &page);
    THelpBrowser *Browser() const { return m_browser; }
    QTreeWidget *ContentsTree() const { return m_tree; }

private:
    void SelectInContents(const QString &page);

    std::unique_ptr<TChmBestand> m_file;
    QString m_fileName;
    QTreeWidget *m_tree;
    THelpBrowser *m_browser;
};

// The help file's name, "Kiekjesbode.chm".
QString HelpFileName();
// Where the help file is looked for, in order: the program's folder, then the installed
// share folders (<prefix>/share/kiekjesbode next to the program's bin folder, and the
// system's data folders).
QStringList HelpFolders();
// The first existing help file in the folders; empty when none has it.
QString FindHelpFile(const QStringList &folders);
// Opens the help window on the file (or raises the one already open on it); a Dutch message
// when the file is missing or cannot be read, and then nullptr.
THelpViewer *ShowHelpFile(QWidget *parent, const QString &fileName);
// The "&Help..." command: finds "Kiekjesbode.chm" and opens it. Does not wait for the window.
void ShowHelp(QWidget *parent);
