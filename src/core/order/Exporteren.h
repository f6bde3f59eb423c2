#pragma once
// The order as a delimited text file for spreadsheets: Windows-1252, CR LF line ends, every
// field (the last one too) followed by the separator, nothing quoted.

#include "TOrderItem.h"
#include "app/Feedback.h"

#include <QList>
#include <QString>

// The separator choices of the export dialog: 0 ";", 1 ",", 2 a space, 3 the user's own.
QString ExportSeparator(int choice, const QString &ownSeparator);

// Writes the header line and one line per item. Any error is shown as
// "Er is een fout opgetreden:\r" + the error and gives false.
bool ExportOrderText(const QString &fileName, const QString &separator, const QList<TOrderItem> &items,
                     const TOperationHooks &hooks);

// The text of the export, as written by ExportOrderText.
QByteArray ExportOrderBytes(const QString &separator, const QList<TOrderItem> &items);
