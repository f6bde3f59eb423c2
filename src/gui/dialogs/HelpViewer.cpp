#include "HelpViewer.h"
#include "app/Prompts.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QSplitter>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTreeWidget>

namespace {

QPointer<THelpViewer> g_openViewer;

// A page's path inside the help file from a link or source URL.
QString PagePath(const QUrl &url)
{
    return chm::NormalPath(url.path());
}

QString DecodePage(const QByteArray &bytes)
{
    // Pages carry their encoding in a meta tag; without one they are UTF-8.
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder(bytes);
}

} // namespace

THelpBrowser::THelpBrowser(const TChmBestand &file, QWidget *parent)
    : QTextBrowser(parent), m_file(file)
{
    setObjectName(QStringLiteral("HelpPagina"));
    setAccessibleName(QStringLiteral("Helppagina"));
    // Links are followed here: pages of the help file in this window, web and mail
    // addresses in the desktop's own programs.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &THelpBrowser::FollowLink);
}

void THelpBrowser::FollowLink(const QUrl &link)
{
    const QString scheme = link.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto")) {
        QDesktopServices::openUrl(link);
        return;
    }
    if (!link.scheme().isEmpty())
        return; // no other kind of address is opened from the help
    if (link.path().isEmpty() && link.hasFragment()) {
        scrollToAnchor(link.fragment());
        return;
    }
    setSource(source().resolved(link));
}

QVariant THelpBrowser::loadResource(int type, const QUrl &name)
{
    if (!name.scheme().isEmpty())
        return QVariant();
    const std::optional<QByteArray> bytes = m_file.Read(PagePath(name));
    if (!bytes)
        return QVariant();
    if (type == QTextDocument::HtmlResource)
        return DecodePage(*bytes);
    if (type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(*bytes);
    return *bytes; // pictures: QTextDocument decodes the bytes itself
}

THelpViewer::THelpViewer(std::unique_ptr<TChmBestand> file, const QString &fileName, QWidget *parent)
    : QWidget(parent, Qt::Window), m_file(std::move(file)), m_fileName(fileName)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(m_file->Title().isEmpty() ? QStringLiteral("Kiekjesbode - Help") : m_file->Title());
    resize(820, 560);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    m_tree = new QTreeWidget(splitter);
    m_tree->setObjectName(QStringLiteral("HelpInhoud"));
    m_tree->setAccessibleName(QStringLiteral("Inhoud"));
    m_tree->setHeaderLabel(QStringLiteral("Inhoud"));
    m_tree->header()->hide();
    m_browser = new THelpBrowser(*m_file, splitter);
    splitter->addWidget(m_tree);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 600});
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    // The contents: each entry goes under the nearest entry one level up.
    QList<QTreeWidgetItem *> parents;
    for (const TChmOnderwerp &topic : m_file->Contents()) {
        const int level = qMin<int>(topic.niveau, parents.size());
        parents.resize(level);
        auto *item = parents.isEmpty() ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(parents.last());
        item->setText(0, topic.naam);
        item->setData(0, Qt::UserRole, topic.pagina);
        parents.append(item);
    }
    m_tree->expandAll();

    connect(m_tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        ShowPage(item->data(0, Qt::UserRole).toString());
    });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            ShowPage(item->data(0, Qt::UserRole).toString());
    });
    // The browser reports the new source before source() returns it, so the page is taken
    // from the signal.
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl &url) { SelectInContents(PagePath(url)); });

    ShowPage(m_file->DefaultPage());
}

THelpViewer::~THelpViewer() = default;

QString THelpViewer::CurrentPage() const
{
    return PagePath(m_browser->source());
}

void THelpViewer::ShowPage(const QString &page)
{
    if (page.isEmpty() || page == CurrentPage())
        return;
    m_browser->setSource(QUrl(page), QTextDocument::HtmlResource);
}

void THelpViewer::SelectInContents(const QString &page)
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString().compare(page, Qt::CaseInsensitive) == 0) {
            if (m_tree->currentItem() != *it)
                m_tree->setCurrentItem(*it);
            return;
        }
    }
}

QString HelpFileName()
{
    return QStringLiteral("Kiekjesbode.chm");
}

QStringList HelpFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList folders{programFolder, QDir::cleanPath(programFolder + QStringLiteral("/../share/kiekjesbode"))};
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << QDir::cleanPath(data + QStringLiteral("/kiekjesbode"));
    folders.removeDuplicates();
    return folders;
}

QString FindHelpFile(const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QFileInfo candidate(QDir(folder).filePath(HelpFileName()));
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return QString();
}

THelpViewer *ShowHelpFile(QWidget *parent, const QString &fileName)
{
    if (!TChmBestand::Beschikbaar()) {
        TMessageBox::message(parent, QStringLiteral("De help kan niet worden getoond: deze versie van Kiekjesbode is "
                                                    "gebouwd zonder ondersteuning voor helpbestanden (libchm)."));
        return nullptr;
    }
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) {
        TMessageBox::message(parent, QStringLiteral("Het helpbestand \"%1\" is niet gevonden.\rHet hoort in de map "
                                                    "van het programma te staan.")
                                         .arg(fileName.isEmpty() ? HelpFileName() : fileName));
        return nullptr;
    }
    const QString path = QFileInfo(fileName).absoluteFilePath();
    if (g_openViewer && g_openViewer->FileName() == path) {
        g_openViewer->show();
        g_openViewer->raise();
        g_openViewer->activateWindow();
        return g_openViewer;
    }
    auto file = std::make_unique<TChmBestand>();
    if (!file->Open(path)) {
        TMessageBox::message(parent, QStringLiteral("Het helpbestand \"%1\" kan niet worden geopend.").arg(path));
        return nullptr;
    }
    delete g_openViewer;
    auto *viewer = new THelpViewer(std::move(file), path, parent);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    g_openViewer = viewer;
    viewer->show();
    return viewer;
}

void ShowHelp(QWidget *parent)
{
    ShowHelpFile(parent, FindHelpFile(HelpFolders()));
}
