#include "catalogue/UPenFJson.h"

#include "app/DateTime.h"
#include "app/Errors.h"
#include "app/Money.h"
#include "catalogue/UPenF.h"
#include "catalogue/UPenFWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>

namespace penfjson {

namespace {

// Where in the document a value stands, for the error texts: `formats[2].tiers[0].price`,
// with the format's or location's name once known.
class TPath {
public:
    TPath() = default;
    TPath(const TPath &parent, const QString &step, const QString &owner = QString())
        : m_path(parent.m_path.isEmpty() || step.startsWith(u'[') ? parent.m_path + step
                                                                   : parent.m_path + u'.' + step),
          m_owner(owner.isEmpty() ? parent.m_owner : owner)
    {
    }
    TPath field(const QString &name) const { return TPath(*this, name); }
    TPath item(int index, const QString &owner = QString()) const
    {
        return TPath(*this, QStringLiteral("[%1]").arg(index), owner);
    }
    [[noreturn]] void fail(const QString &what) const
    {
        QString text = QStringLiteral("veld \"%1\"").arg(m_path);
        if (!m_owner.isEmpty())
            text += QStringLiteral(" (%1)").arg(m_owner);
        throw EKiekjesError(text + QStringLiteral(": ") + what);
    }

private:
    QString m_path;
    QString m_owner;
};

// Field access on one object that refuses unknown fields and wrong types.
class TObject {
public:
    TObject(const QJsonValue &value, const TPath &path, QStringList known) : m_path(path)
    {
        if (!value.isObject())
            path.fail(QStringLiteral("moet een object zijn"));
        m_object = value.toObject();
        for (auto it = m_object.begin(); it != m_object.end(); ++it) {
            if (!known.contains(it.key()))
                path.field(it.key()).fail(QStringLiteral("onbekend veld"));
        }
    }
    bool has(const QString &key) const { return m_object.contains(key) && !m_object.value(key).isNull(); }
    QJsonValue required(const QString &key) const
    {
        if (!has(key))
            m_path.field(key).fail(QStringLiteral("ontbreekt"));
        return m_object.value(key);
    }
    TPath path(const QString &key) const { return m_path.field(key); }

    QString text(const QString &key, bool isRequired) const
    {
        if (!isRequired && !has(key))
            return QString();
        const QJsonValue v = required(key);
        if (!v.isString())
            path(key).fail(QStringLiteral("moet een tekst zijn"));
        return v.toString();
    }
    double number(const QString &key) const
    {
        const QJsonValue v = required(key);
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            path(key).fail(QStringLiteral("moet een getal zijn"));
        return v.toDouble();
    }
    int64_t integer(const QString &key, int64_t low, int64_t high) const
    {
        const QJsonValue v = required(key);
        const double d = v.toDouble();
        if (!v.isDouble() || d != std::floor(d) || d < double(low) || d > double(high))
            path(key).fail(QStringLiteral("moet een geheel getal van %1 tot en met %2 zijn").arg(low).arg(high));
        return int64_t(d);
    }
    bool boolean(const QString &key) const
    {
        if (!has(key))
            return false;
        const QJsonValue v = m_object.value(key);
        if (!v.isBool())
            path(key).fail(QStringLiteral("moet true of false zijn"));
        return v.toBool();
    }
    QJsonArray array(const QString &key, bool isRequired) const
    {
        if (!isRequired && !has(key))
            return QJsonArray();
        const QJsonValue v = required(key);
        if (!v.isArray())
            path(key).fail(QStringLiteral("moet een lijst zijn"));
        return v.toArray();
    }

private:
    TPath m_path;
    QJsonObject m_object;
};

TCurrency parsePrice(const QJsonValue &v, const TPath &path)
{
    if (v.isString()) {
        static const QRegularExpression exact(QStringLiteral("^\\s*-?\\d{1,14}([.,]\\d{1,4})?\\s*$"));
        const QString text = v.toString();
        const auto amount = exact.match(text).hasMatch() ? money::parseAmount(text) : std::nullopt;
        if (!amount)
            path.fail(QStringLiteral("\"%1\" is geen bedrag (bijvoorbeeld \"0,29\", hoogstens vier decimalen)").arg(text));
        return *amount;
    }
    if (v.isDouble()) {
        const double scaled = v.toDouble() * 10000.0;
        if (!std::isfinite(scaled) || std::fabs(scaled) > 1e18)
            path.fail(QStringLiteral("bedrag buiten het bereik"));
        const double rounded = std::nearbyint(scaled);
        if (std::fabs(scaled - rounded) > 1e-6 * std::max(1.0, std::fabs(rounded)))
            path.fail(QStringLiteral("bedrag met meer dan vier decimalen"));
        return TCurrency::fromRaw(int64_t(rounded));
    }
    path.fail(QStringLiteral("moet een bedrag zijn, als tekst (\"0,29\") of getal"));
}

TPrijsLijst parseTiers(const QJsonArray &array, const TPath &path)
{
    TPrijsLijst tiers;
    for (int i = 0; i < array.size(); ++i) {
        const TObject tier(array[i], path.item(i), {QStringLiteral("from"), QStringLiteral("price")});
        tiers.append({uint16_t(tier.integer(QStringLiteral("from"), 0, 65535)),
                      parsePrice(tier.required(QStringLiteral("price")), tier.path(QStringLiteral("price")))});
    }
    return tiers;
}

TDateTime parseDate(const QJsonValue &v, const TPath &path)
{
    // Days since 1899-12-30 as the file holds them, within the years 1 to 9999.
    if (v.isDouble() && v.toDouble() >= -693593.0 && v.toDouble() < 2958466.0)
        return v.toDouble();
    const QString text = v.toString();
    if (v.isString()) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid() && text.size() == 10)
            return datetime::fromQDate(date);
        const QDateTime moment = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (moment.isValid() && moment.timeSpec() == Qt::LocalTime)
            return datetime::fromQDateTime(moment);
    }
    path.fail(QStringLiteral("moet een datum zijn als \"2026-12-01\" of \"2026-12-01T09:30:00\", of een "
                             "aantal dagen sinds 1899-12-30 in de jaren 1 tot en met 9999"));
}

QJsonValue dateValue(TDateTime value)
{
    // Only dates that come back exactly are written as text; anything else as the day count.
    if (std::isfinite(value) && value >= 0 && value < 2958466) {
        const QDateTime moment = datetime::toQDateTime(value);
        if (moment.isValid() && datetime::fromQDateTime(moment) == value) {
            if (moment.time() == QTime(0, 0))
                return moment.date().toString(Qt::ISODate);
            return moment.toString(Qt::ISODateWithMs);
        }
    }
    return value;
}

void parseLocations(TPenFFile &catalogue, const QJsonArray &array, const TPath &path)
{
    struct Field {
        const char *key;
        int capacity;
    };
    static constexpr Field fields[] = {{"host", 100}, {"name", 255}, {"text1", 255},
                                       {"text2", 255}, {"text3", 25}, {"text4", 255}};
    for (int i = 0; i < array.size(); ++i) {
        QString name;
        if (array[i].isObject())
            name = array[i].toObject().value(QStringLiteral("name")).toString();
        const TPath where = path.item(i, QStringLiteral("afhaallocatie \"%1\"").arg(name));
        QStringList known;
        for (const Field &f : fields)
            known.append(QLatin1String(f.key));
        const TObject object(array[i], where, known);
        QString texts[6];
        for (int k = 0; k < 6; ++k) {
            const QString key = QLatin1String(fields[k].key);
            texts[k] = object.text(key, key == QLatin1String("name"));
            const QString problem = penfwriter::TextProblem(texts[k], fields[k].capacity);
            if (!problem.isEmpty())
                object.path(key).fail(problem);
        }
        if (texts[1].isEmpty())
            object.path(QStringLiteral("name")).fail(QStringLiteral("mag niet leeg zijn"));
        catalogue.AddLocation(texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]);
    }
}

std::unique_ptr<TFormaat> parseFormat(const TPenFFile &catalogue, const QJsonValue &value, const TPath &where)
{
    const TObject object(value, where,
                         {QStringLiteral("name"), QStringLiteral("description"), QStringLiteral("width"),
                          QStringLiteral("length"), QStringLiteral("glossyMatte"), QStringLiteral("tiers"),
                          QStringLiteral("fastTiers"), QStringLiteral("fastLocations")});
    auto format = std::make_unique<TFormaat>();
    format->Naam = object.text(QStringLiteral("name"), true);
    if (format->Naam.isEmpty())
        object.path(QStringLiteral("name")).fail(QStringLiteral("mag niet leeg zijn"));
    format->Omschrijving = object.text(QStringLiteral("description"), false);
    format->Breedte = object.number(QStringLiteral("width"));
    format->Lengte = object.number(QStringLiteral("length"));
    format->GlansMatKeuze = object.boolean(QStringLiteral("glossyMatte")) ? 1 : 0;
    format->Prijzen = parseTiers(object.array(QStringLiteral("tiers"), true), object.path(QStringLiteral("tiers")));
    format->SnelPrijzen = parseTiers(object.array(QStringLiteral("fastTiers"), false),
                                     object.path(QStringLiteral("fastTiers")));

    const QJsonArray locations = object.array(QStringLiteral("fastLocations"), false);
    const TPath locationsPath = object.path(QStringLiteral("fastLocations"));
    for (int k = 0; k < locations.size(); ++k) {
        const TPath at = locationsPath.item(k);
        int index = -1;
        if (locations[k].isString()) {
            index = catalogue.IndexOfLocation(locations[k].toString());
            if (index < 0)
                at.fail(QStringLiteral("afhaallocatie \"%1\" staat niet in \"locations\"").arg(locations[k].toString()));
        } else if (locations[k].isDouble() && locations[k].toDouble() == std::floor(locations[k].toDouble())
                   && locations[k].toDouble() >= 0 && locations[k].toDouble() < 1e9) {
            index = int(locations[k].toDouble());
        } else {
            at.fail(QStringLiteral("moet de naam van een afhaallocatie zijn"));
        }
        if (index >= TFormaat::MaxLocations) {
            at.fail(QStringLiteral("afhaallocatie %1 in de lijst; snelservice is alleen mogelijk bij de eerste %2")
                        .arg(index + 1)
                        .arg(TFormaat::MaxLocations));
        }
        format->Beschikbaar[size_t(index)] = 1;
    }
    return format;
}

} // namespace

TParsed FromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        const QByteArray before = json.left(error.offset);
        const int line = int(before.count('\n')) + 1;
        const int column = int(error.offset - (before.lastIndexOf('\n') + 1)) + 1;
        throw EKiekjesError(QStringLiteral("geen geldige JSON op regel %1, kolom %2: %3")
                                .arg(line)
                                .arg(column)
                                .arg(error.errorString()));
    }
    const TPath root;
    const TObject top(document.isObject() ? QJsonValue(document.object()) : QJsonValue(), root,
                      {QStringLiteral("fileVersion"), QStringLiteral("date"), QStringLiteral("edition"),
                       QStringLiteral("defaultFormat"), QStringLiteral("locations"), QStringLiteral("formats")});
    TParsed parsed;
    if (top.has(QStringLiteral("fileVersion")))
        parsed.fileVersion = int(top.integer(QStringLiteral("fileVersion"), 0, 2));
    const TDateTime date = parseDate(top.required(QStringLiteral("date")), top.path(QStringLiteral("date")));
    const auto edition = uint8_t(top.integer(QStringLiteral("edition"), 0, 255));
    parsed.catalogue = std::make_unique<TPenFFile>(QString(), date, edition);
    TPenFFile &catalogue = *parsed.catalogue;

    parseLocations(catalogue, top.array(QStringLiteral("locations"), false), top.path(QStringLiteral("locations")));

    const QJsonArray formats = top.array(QStringLiteral("formats"), true);
    const TPath formatsPath = top.path(QStringLiteral("formats"));
    TFormatNameIndex names;
    for (int i = 0; i < formats.size(); ++i) {
        const QString name = formats[i].toObject().value(QStringLiteral("name")).toString();
        const TPath where = formatsPath.item(i, QStringLiteral("formaat \"%1\"").arg(name));
        if (names.find(name) >= 0)
            where.field(QStringLiteral("name")).fail(QStringLiteral("dit formaat komt al eerder voor (hoofdletters tellen niet)"));
        names.add(name, catalogue.AddFormat(parseFormat(catalogue, formats[i], where)));
    }

    const QString defaultFormat = top.text(QStringLiteral("defaultFormat"), false);
    if (top.has(QStringLiteral("defaultFormat"))) {
        const int index = catalogue.IndexOfFormat(defaultFormat);
        if (index < 0)
            top.path(QStringLiteral("defaultFormat")).fail(QStringLiteral("formaat \"%1\" staat niet in \"formats\"").arg(defaultFormat));
        catalogue.SetDefaultFormat(index);
    }
    return parsed;
}

QString ExactAmount(int64_t tenThousandths)
{
    const bool negative = tenThousandths < 0;
    const uint64_t magnitude = negative ? uint64_t(0) - uint64_t(tenThousandths) : uint64_t(tenThousandths);
    QString decimals = QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
    while (decimals.size() > 2 && decimals.endsWith(u'0'))
        decimals.chop(1);
    return QStringLiteral("%1%2,%3").arg(negative ? QStringLiteral("-") : QString()).arg(magnitude / 10000).arg(decimals);
}

namespace {

// The document written with its fields in the schema's order (QJsonDocument sorts them by
// name), tiers and lists of names on one line each.
class TOrderedWriter {
public:
    QByteArray write(const QJsonValue &value)
    {
        m_out.clear();
        value_(value, 0);
        m_out += '\n';
        return m_out;
    }

private:
    static int rank(const QString &key)
    {
        static const QStringList order{
            "fileVersion", "date", "edition", "defaultFormat", "locations", "formats", "name", "host",
            "text1", "text2", "text3", "text4", "description", "width", "length", "glossyMatte",
            "tiers", "fastTiers", "fastLocations", "from", "price"};
        const qsizetype r = order.indexOf(key);
        return r < 0 ? int(order.size()) : int(r);
    }
    static bool isFlat(const QJsonValue &v)
    {
        if (v.isArray()) {
            for (const QJsonValue &e : v.toArray())
                if (e.isArray() || e.isObject())
                    return false;
            return true;
        }
        if (v.isObject()) {
            for (const QJsonValue &e : v.toObject())
                if (e.isArray() || e.isObject())
                    return false;
            return v.toObject().size() <= 2;
        }
        return true;
    }
    void scalar(const QJsonValue &v)
    {
        // One-element array in compact form, without its brackets.
        const QByteArray a = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
        m_out += a.mid(1, a.size() - 2);
    }
    void newline(int indent)
    {
        m_out += '\n';
        m_out += QByteArray(indent * 2, ' ');
    }
    void value_(const QJsonValue &v, int indent)
    {
        const bool flat = isFlat(v);
        if (v.isArray()) {
            const QJsonArray a = v.toArray();
            m_out += '[';
            for (qsizetype i = 0; i < a.size(); ++i) {
                if (i > 0)
                    m_out += flat ? ", " : ",";
                if (!flat)
                    newline(indent + 1);
                value_(a[i], indent + 1);
            }
            if (!flat && !a.isEmpty())
                newline(indent);
            m_out += ']';
        } else if (v.isObject()) {
            const QJsonObject o = v.toObject();
            QStringList keys = o.keys();
            std::stable_sort(keys.begin(), keys.end(),
                             [](const QString &a, const QString &b) { return rank(a) < rank(b); });
            m_out += flat ? "{ " : "{";
            for (qsizetype i = 0; i < keys.size(); ++i) {
                if (i > 0)
                    m_out += flat ? ", " : ",";
                if (!flat)
                    newline(indent + 1);
                scalar(keys[i]);
                m_out += ": ";
                value_(o.value(keys[i]), indent + 1);
            }
            if (flat)
                m_out += " }";
            else {
                newline(indent);
                m_out += '}';
            }
        } else {
            scalar(v);
        }
    }
    QByteArray m_out;
};

QJsonArray tiersValue(const TPrijsLijst &tiers)
{
    QJsonArray array;
    for (const TPrijsTrede &tier : tiers)
        array.append(QJsonObject{{QStringLiteral("from"), int(tier.Aantal)},
                                 {QStringLiteral("price"), ExactAmount(tier.Prijs.raw())}});
    return array;
}

} // namespace

QByteArray ToJson(const TPenFFile &catalogue)
{
    QJsonObject top;
    top.insert(QStringLiteral("fileVersion"), int(catalogue.Bestandsversie()));
    top.insert(QStringLiteral("date"), dateValue(catalogue.Versiedatum()));
    top.insert(QStringLiteral("edition"), int(catalogue.Versienummer()));
    const int standaard = catalogue.StandaardFormaat();
    top.insert(QStringLiteral("defaultFormat"),
               standaard >= 0 && standaard < catalogue.FormatCount() ? QJsonValue(catalogue.FormatName(standaard))
                                                                     : QJsonValue());

    QJsonArray locations;
    for (int i = 0; i < catalogue.LocationCount(); ++i) {
        const TAfhaallocatie &l = catalogue.Location(i);
        QJsonObject location{{QStringLiteral("name"), l.Naam.text()}, {QStringLiteral("host"), l.Host.text()}};
        const QString extra[4] = {l.Tekst1, l.Tekst2, l.Tekst3, l.Tekst4};
        for (int k = 0; k < 4; ++k) {
            if (!extra[k].isEmpty())
                location.insert(QStringLiteral("text%1").arg(k + 1), extra[k]);
        }
        locations.append(location);
    }
    top.insert(QStringLiteral("locations"), locations);

    QJsonArray formats;
    for (int i = 0; i < catalogue.FormatCount(); ++i) {
        const TFormaat &f = catalogue.Format(i);
        QJsonObject format{{QStringLiteral("name"), f.Naam},
                           {QStringLiteral("description"), f.Omschrijving},
                           {QStringLiteral("width"), f.Breedte},
                           {QStringLiteral("length"), f.Lengte},
                           {QStringLiteral("glossyMatte"), f.HasGlansMatKeuze()},
                           {QStringLiteral("tiers"), tiersValue(f.Prijzen)}};
        if (!f.SnelPrijzen.isEmpty())
            format.insert(QStringLiteral("fastTiers"), tiersValue(f.SnelPrijzen));
        QJsonArray fastLocations;
        for (int k = 0; k < TFormaat::MaxLocations; ++k) {
            if (f.IsAvailableAt(k)) {
                // A location is named when its name finds it again; else (a repeated name, an
                // entry without a location) its index stands.
                const QString name = catalogue.LocationName(k);
                fastLocations.append(!name.isEmpty() && catalogue.IndexOfLocation(name) == k ? QJsonValue(name)
                                                                                             : QJsonValue(k));
            }
        }
        if (!fastLocations.isEmpty())
            format.insert(QStringLiteral("fastLocations"), fastLocations);
        formats.append(format);
    }
    top.insert(QStringLiteral("formats"), formats);
    return TOrderedWriter().write(top);
}

} // namespace penfjson
