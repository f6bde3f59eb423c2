#include "help/ChmInhoud.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>

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

namespace chm {

QString NormalPath(const QString &local)
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

QList<TChmOnderwerp> ParseContents(const QByteArray &hhc)
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

TSysteem ParseSystem(const QByteArray &system)
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

} // namespace chm
