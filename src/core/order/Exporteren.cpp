#include "Exporteren.h"

#include "app/AnsiString.h"
#include "app/Errors.h"

#include <QFile>

namespace {

void appendLine(QByteArray &out, const QStringList &fields, const QString &separator)
{
    QString line;
    for (const QString &f : fields)
        line += f + separator;
    out += ansi::encode(line);
    out += "\r\n";
}

} // namespace

QString ExportSeparator(int choice, const QString &ownSeparator)
{
    switch (choice) {
    case 0: return QStringLiteral(";");
    case 1: return QStringLiteral(",");
    case 2: return QStringLiteral(" ");
    default: return ownSeparator.left(1);
    }
}

QByteArray ExportOrderBytes(const QString &separator, const QList<TOrderItem> &items)
{
    QByteArray out;
    QStringList header = OrderColumnCaptions();
    header.insert(1, QStringLiteral("Bestandslocatie"));
    appendLine(out, header, separator);
    for (const TOrderItem &item : items) {
        QStringList fields{item.Naam, item.Bestand};
        fields += item.RowTexts();
        appendLine(out, fields, separator);
    }
    return out;
}

bool ExportOrderText(const QString &fileName, const QString &separator, const QList<TOrderItem> &items,
                     const TOperationHooks &hooks)
{
    try {
        const QByteArray text = ExportOrderBytes(separator, items);
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw EInOutError(fileName, QStringLiteral("Het bestand kan niet worden aangemaakt (%1)").arg(file.errorString()));
        if (file.write(text) != text.size() || !file.flush())
            throw EInOutError(fileName, QStringLiteral("Schrijven mislukt (%1)").arg(file.errorString()));
    } catch (const EKiekjesError &e) {
        hooks.message(QStringLiteral("Er is een fout opgetreden:\r") + e.message());
        return false;
    }
    return true;
}
