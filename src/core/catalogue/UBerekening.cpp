#include "catalogue/UBerekening.h"

#include "app/Errors.h"

namespace {
bool isBlank(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }

// A field in double quotes from `i` (at the opening quote); leaves `i` after the closing one.
QString quotedField(const QString &text, qsizetype &i)
{
    QString out;
    ++i;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                out += c;
                i += 2;
                continue;
            }
            ++i;
            return out;
        }
        out += c;
        ++i;
    }
    return out;
}

QString amountText(const QString &text)
{
    if (const auto amount = money::parseAmount(text))
        return money::formatMoney(*amount);
    throw EConvertError(QStringLiteral("'%1' is geen geldig bedrag").arg(text));
}

const QStringList &totalNames()
{
    static const QStringList names{QStringLiteral("Subtotaal"), QStringLiteral("Portokosten"),
                                   QStringLiteral("Totaal")};
    return names;
}
} // namespace

QStringList SplitCalculationFields(const QString &value)
{
    // A NUL ends the text, as it would in the server's own string handling.
    const qsizetype nul = value.indexOf(QChar(0));
    const QString text = nul < 0 ? value : value.left(nul);
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        if (text[i] == QLatin1Char('"')) {
            fields << quotedField(text, i);
        } else {
            const qsizetype start = i;
            while (i < n && !isBlank(text[i]) && text[i] != QLatin1Char(';'))
                ++i;
            fields << text.mid(start, i - start);
        }
        skipBlanks();
        if (i < n && text[i] == QLatin1Char(';')) {
            if (i + 1 == n)
                fields << QString();
            ++i;
            skipBlanks();
        }
    }
    return fields;
}

TCalculationLine SplitCalculationLine(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return {line, QString()};
    return {line.left(eq), line.mid(eq + 1)};
}

std::vector<TCalculationRow> CalculationRows(const QStringList &lines)
{
    std::vector<TCalculationRow> rows;
    rows.reserve(size_t(lines.size()));
    for (const QString &line : lines) {
        const TCalculationLine l = SplitCalculationLine(line);
        if (l.Name == QLatin1String("-")) {
            rows.push_back({QString(), QStringLiteral("_____________")});
            continue;
        }
        const QStringList f = SplitCalculationFields(l.Value);
        if (f.size() < 3)
            throw EConvertError(QStringLiteral("Regel \"%1\" van de berekening heeft te weinig velden").arg(line));
        if (totalNames().contains(l.Name)) {
            const auto amount = money::parseAmount(f[2]);
            rows.push_back({l.Name, amount ? money::formatMoney(*amount) : f[2]});
        } else {
            rows.push_back({l.Name, QStringLiteral("%1 × %2 = %3").arg(f[0], f[1], amountText(f[2]))});
        }
    }
    return rows;
}

TCurrency OrderTotal(const QStringList &lines)
{
    for (const QString &line : lines) {
        const TCalculationLine l = SplitCalculationLine(line);
        if (l.Name != QLatin1String("Totaal"))
            continue;
        const QStringList f = SplitCalculationFields(l.Value);
        if (f.size() < 3)
            return TCurrency();
        return money::parseAmount(f[2]).value_or(TCurrency());
    }
    return TCurrency();
}
