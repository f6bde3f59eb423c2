#pragma once
// The catalogue as readable JSON, the form in which a laboratory writes its catalogue for the
// catalogue tool. The schema is described in tools/README.md.

#include <QByteArray>
#include <QString>

#include <memory>

class TPenFFile;

namespace penfjson {

struct TParsed {
    std::unique_ptr<TPenFFile> catalogue;
    int fileVersion = -1; // "fileVersion" of the document, -1 when it gives none
};

// Reads a catalogue document. Raises EKiekjesError with a Dutch text naming the field (and
// the format or location it belongs to) for anything malformed or missing, unknown fields
// included. Texts that the file cannot hold are refused when written (penfwriter::Write);
// location texts are refused here already because a location cuts its texts to size.
TParsed FromJson(const QByteArray &json);

// The catalogue as an indented JSON document in the same schema, with "fileVersion" set to
// the version of the file last read.
QByteArray ToJson(const TPenFFile &catalogue);

// An amount as an exact decimal with a decimal comma and at least two decimals: "0,29",
// "0,295", "-1,00".
QString ExactAmount(int64_t tenThousandths);

} // namespace penfjson
