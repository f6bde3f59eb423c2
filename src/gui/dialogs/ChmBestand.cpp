#include "ChmBestand.h"

#include <QFile>

#ifdef KIEKJES_HAVE_CHM
#include <chm_lib.h>
#endif

TChmBestand::~TChmBestand()
{
    Close();
}

bool TChmBestand::Beschikbaar()
{
#ifdef KIEKJES_HAVE_CHM
    return true;
#else
    return false;
#endif
}

void TChmBestand::Close()
{
#ifdef KIEKJES_HAVE_CHM
    if (m_file)
        chm_close(m_file);
#endif
    m_file = nullptr;
    m_title.clear();
    m_defaultTopic.clear();
    m_contents.clear();
}

bool TChmBestand::Open(const QString &fileName)
{
    Close();
#ifdef KIEKJES_HAVE_CHM
    if (!QFile::exists(fileName))
        return false;
    m_file = chm_open(QFile::encodeName(fileName).constData());
    if (!m_file)
        return false;
    chm::TSysteem system;
    if (auto bytes = Read(QStringLiteral("/#SYSTEM")))
        system = chm::ParseSystem(*bytes);
    m_title = system.title;
    m_defaultTopic = system.defaultTopic.isEmpty() ? QString() : chm::NormalPath(system.defaultTopic);
    QString contents = system.contents.isEmpty() ? QString() : chm::NormalPath(system.contents);
    std::optional<QByteArray> hhc = contents.isEmpty() ? std::nullopt : Read(contents);
    if (hhc)
        m_contents = chm::ParseContents(*hhc);
    return true;
#else
    Q_UNUSED(fileName);
    return false;
#endif
}

std::optional<QByteArray> TChmBestand::Read(const QString &path) const
{
#ifdef KIEKJES_HAVE_CHM
    if (!m_file)
        return std::nullopt;
    const QByteArray name = path.toUtf8();
    if (name.isEmpty() || name.size() > CHM_MAX_PATHLEN)
        return std::nullopt;
    chmUnitInfo info{};
    if (chm_resolve_object(m_file, name.constData(), &info) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (info.length > static_cast<LONGUINT64>(MaxObject))
        return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(info.length), Qt::Uninitialized);
    if (info.length == 0)
        return bytes;
    const LONGINT64 got = chm_retrieve_object(m_file, &info, reinterpret_cast<unsigned char *>(bytes.data()),
                                              0, static_cast<LONGINT64>(info.length));
    if (got != static_cast<LONGINT64>(info.length))
        return std::nullopt;
    return bytes;
#else
    Q_UNUSED(path);
    return std::nullopt;
#endif
}

QString TChmBestand::DefaultPage() const
{
    if (!m_defaultTopic.isEmpty())
        return m_defaultTopic;
    for (const TChmOnderwerp &t : m_contents)
        if (!t.pagina.isEmpty())
            return t.pagina;
    return QStringLiteral("/index.html");
}
