#pragma once
// The server's price calculation of an order: lines of the form name=value, the value a list
// of fields separated by ";" (and by runs of spaces outside double quotes). The confirmation
// dialog shows them as rows; the upload reads the total from them.

#include "app/Money.h"

#include <QString>
#include <QStringList>
#include <vector>

// Splits a value into fields by the delimited-text rules: ";" separates; a run of spaces
// and control characters outside double quotes separates too; leading ones are skipped; a
// quoted field keeps its spaces and ";" and loses the quotes ("" inside stands for one
// quote); an empty field between two ";" stays empty, and a final ";" gives an empty last
// field.
QStringList SplitCalculationFields(const QString &value);

// Name (the text before the first "=") and value (the text after it) of one line. A line
// without "=" has the whole text as name and an empty value.
struct TCalculationLine {
    QString Name;
    QString Value;
};
TCalculationLine SplitCalculationLine(const QString &line);

// One row of the confirmation table: its "Omschrijving" and "Prijs" texts.
struct TCalculationRow {
    QString Omschrijving;
    QString Prijs;
    bool operator==(const TCalculationRow &) const = default;
};

// The table rows for the received lines, in order. Raises EConvertError with the text the
// dialog shows instead of the table: a value with fewer than three fields, or an order line
// whose amount is not a number.
std::vector<TCalculationRow> CalculationRows(const QStringList &lines);

// Field 2 of the "Totaal" line as money; 0 when there is no such line, it has fewer than
// three fields or the field is not a number.
TCurrency OrderTotal(const QStringList &lines);
