#include "ChmBestand.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#ifdef KIEKJES_HAVE_CHM
#include <chm_lib.h>
#endif

namespace {

// Texts inside the file: UTF-8 when they decode cleanly, else Windows-1252 as older help
// compilers wrote them.
QString DecodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder ansi("windows-1252");
    return ansi.isValid() ? QString(ansi(bytes)) : QString::fromLatin1(bytes);
}

QString UnescapeHtml(QString text)
{
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

} // namespace

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
    TSysteem system;
    if (auto bytes = Read(QStringLiteral("/#SYSTEM")))
        system = ParseSystem(*bytes);
    m_title = system.title;
    m_defaultTopic = system.defaultTopic.isEmpty() ? QString() : NormalPath(system.defaultTopic);
    QString contents = system.contents.isEmpty() ? QString() : NormalPath(system.contents);
    std::optional<QByteArray> hhc = contents.isEmpty() ? std::nullopt : Read(contents);
    if (hhc)
        m_contents = ParseContents(*hhc);
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

QString TChmBestand::NormalPath(const QString &local)
{
    QString path = local.trimmed();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        path.truncate(hash);
    if (path.isEmpty())
        return QString();
    path = QDir::cleanPath(QLatin1Char('/') + path);
    while (path.startsWith(QLatin1String("/../")) || path == QLatin1String("/.."))
        path = path.mid(3); // nothing lies above the root of the file
    if (path.isEmpty())
        return QString();
    return path == QLatin1String("/") ? QString() : path;
}

QList<TChmOnderwerp> TChmBestand::ParseContents(const QByteArray &hhc)
{
    // The sitemap is HTML as help compilers write it, not XML: read it as a stream of
    // tags, tracking the <ul> depth, and take each sitemap object's parameters.
    static const QRegularExpression tag(QStringLiteral("<\\s*(/?)\\s*(ul|object|param)\\b([^>]*)>"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attribute(
        QStringLiteral("(name|value|type)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);

    QList<TChmOnderwerp> topics;
    const QString text = DecodeText(hhc);
    int depth = -1;
    bool inObject = false;
    TChmOnderwerp current;
    for (auto it = tag.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool closing = !m.capturedView(1).isEmpty();
        const QString element = m.captured(2).toLower();
        QString name, value, type;
        for (auto a = attribute.globalMatch(m.captured(3)); a.hasNext();) {
            const QRegularExpressionMatch am = a.next();
            const QString v = am.captured(2) + am.captured(3) + am.captured(4);
            const QString key = am.captured(1).toLower();
            (key == QLatin1String("name") ? name : key == QLatin1String("value") ? value : type) = UnescapeHtml(v);
        }
        if (element == QLatin1String("ul")) {
            depth = closing ? qMax(-1, depth - 1) : depth + 1;
        } else if (element == QLatin1String("object")) {
            if (!closing && type.compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0) {
                inObject = true;
                current = TChmOnderwerp{QString(), QString(), qMax(0, depth)};
            } else if (closing && inObject) {
                inObject = false;
                if (!current.naam.isEmpty())
                    topics.append(current);
            }
        } else if (element == QLatin1String("param") && inObject) {
            if (name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0 && current.naam.isEmpty())
                current.naam = value.trimmed();
            else if (name.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0 && current.pagina.isEmpty())
                current.pagina = NormalPath(value);
        }
    }
    return topics;
}

TChmBestand::TSysteem TChmBestand::ParseSystem(const QByteArray &system)
{
    // A 4-byte version, then records of a 16-bit code, a 16-bit length and that many bytes
    // (little-endian); text records end with a zero byte.
    TSysteem result;
    const auto u16 = [&](qsizetype at) {
        return static_cast<quint16>(static_cast<quint8>(system[at]) | (static_cast<quint8>(system[at + 1]) << 8));
    };
    qsizetype at = 4;
    while (at + 4 <= system.size()) {
        const quint16 code = u16(at);
        const quint16 length = u16(at + 2);
        at += 4;
        if (length > system.size() - at)
            break;
        QByteArray data = system.mid(at, length);
        const qsizetype zero = data.indexOf('\0');
        if (zero >= 0)
            data.truncate(zero);
        switch (code) {
        case 0: result.contents = DecodeText(data); break;
        case 2: result.defaultTopic = DecodeText(data); break;
        case 3: result.title = DecodeText(data); break;
        default: break;
        }
        at += length;
    }
    return result;
}
