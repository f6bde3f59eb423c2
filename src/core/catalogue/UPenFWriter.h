#pragma once
// Writes a catalogue as PenF.dat in any of the three file versions: every field at its record
// offset, zero bytes everywhere else. Used by the catalogue tool, the lab server and tests.

#include <QByteArray>
#include <QString>

class TPenFFile;

namespace penfwriter {

// The bytes of the catalogue in file version 0, 1 or 2. Raises EKiekjesError with a Dutch
// text naming the format or location when the file version cannot hold the catalogue
// exactly (a text too long or outside Windows-1252, more than 255 locations, more than
// 65535 tiers or records, a repeated format name, fast service or locations in version 0
// or 1, the paper choice in version 0, ...), instead of writing a file that reads back
// differently.
QByteArray Write(const TPenFFile &catalogue, int fileVersion);

// The check of a text field against its string[capacity]: empty when it fits exactly, else
// the Dutch reason ("is langer dan 255 bytes", "bevat tekens buiten Windows-1252").
QString TextProblem(const QString &text, int capacity);

} // namespace penfwriter
