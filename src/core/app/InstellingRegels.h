#pragma once
// The rules of the settings dialog: the upload speeds it offers, how a speed text becomes a
// number, and the check that keeps the dialog open while something is missing.

#include <QString>
#include <QStringList>
#include <cstdint>

// The entries of the upload speed list, in kilobit per second.
QStringList UploadSpeedKeuzes();

// The integer value of the speed list's text, or 56 when the text is not a number that fits
// the settings record.
uint16_t UploadSpeedUitTekst(const QString &text);

// The settings are complete when a speed is chosen and a format is chosen or there is no
// catalogue file. Otherwise the message naming what is missing; empty when complete.
QString InstellingenControle(bool formaatGekozen, bool catalogusBestaat, bool snelheidGekozen);
