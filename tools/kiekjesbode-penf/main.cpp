// kiekjesbode-penf: compiles a laboratory's catalogue from JSON into PenF.dat and prints a
// PenF.dat back as JSON. See tools/README.md for the JSON schema.

#include "app/Errors.h"
#include "app/SaveFile.h"
#include "catalogue/UPenF.h"
#include "catalogue/UPenFJson.h"
#include "catalogue/UPenFWriter.h"

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace {

const char *const Usage =
    "Gebruik:\n"
    "  kiekjesbode-penf build CATALOGUS.json -o PenF.dat [--file-version 0|1|2]\n"
    "  kiekjesbode-penf dump PenF.dat\n"
    "\n"
    "build  zet een catalogus in JSON om in PenF.dat. De bestandsversie is die van\n"
    "       --file-version, anders die van \"fileVersion\" in de JSON, anders 2.\n"
    "dump   schrijft PenF.dat als JSON naar de standaarduitvoer (hetzelfde schema,\n"
    "       zodat build het weer inleest).\n"
    "Het JSON-schema staat in tools/README.md.\n";

int fail(const QString &text, int code = 1)
{
    std::fprintf(stderr, "kiekjesbode-penf: %s\n", text.toLocal8Bit().constData());
    return code;
}

int usage(const QString &problem)
{
    fail(problem, 2);
    std::fputs(Usage, stderr);
    return 2;
}

int build(const QString &input, const QString &output, int fileVersion)
{
    QFile in(input);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1: kan niet worden gelezen (%2)").arg(input, in.errorString()));
    const QByteArray json = in.readAll();
    QByteArray bytes;
    try {
        const penfjson::TParsed parsed = penfjson::FromJson(json);
        const int version = fileVersion >= 0 ? fileVersion : parsed.fileVersion >= 0 ? parsed.fileVersion : 2;
        bytes = penfwriter::Write(*parsed.catalogue, version);
    } catch (const EKiekjesError &e) {
        return fail(QStringLiteral("%1: %2").arg(input, e.message()));
    }
    QSaveFile out(output);
    QString why;
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        why = out.errorString();
    else
        FlushAndCommit(out, why);
    if (!why.isEmpty())
        return fail(QStringLiteral("%1: kan niet worden geschreven (%2)").arg(output, why));
    return 0;
}

int dump(const QString &input)
{
    TPenFFile catalogue(input, 0.0, 0);
    try {
        catalogue.LoadFromFile();
    } catch (const EKiekjesError &e) {
        return fail(e.message());
    }
    const QByteArray json = penfjson::ToJson(catalogue);
    return std::fwrite(json.constData(), 1, size_t(json.size()), stdout) == size_t(json.size()) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (args.isEmpty())
        return usage(QStringLiteral("geen opdracht gegeven"));
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(Usage, stdout);
        return 0;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("dump")) {
        if (args.size() != 1)
            return usage(QStringLiteral("dump verwacht precies één bestand"));
        return dump(args.first());
    }
    if (command != QLatin1String("build"))
        return usage(QStringLiteral("onbekende opdracht \"%1\"").arg(command));

    QString input;
    QString output;
    int fileVersion = -1;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("-o") || a == QLatin1String("--file-version")) {
            if (i + 1 >= args.size())
                return usage(QStringLiteral("%1 verwacht een waarde").arg(a));
            const QString value = args[++i];
            if (a == QLatin1String("-o")) {
                output = value;
            } else if (value == QLatin1String("0") || value == QLatin1String("1") || value == QLatin1String("2")) {
                fileVersion = value.toInt();
            } else {
                return usage(QStringLiteral("--file-version moet 0, 1 of 2 zijn, niet \"%1\"").arg(value));
            }
        } else if (a.startsWith(u'-') && a.size() > 1) {
            return usage(QStringLiteral("onbekende optie \"%1\"").arg(a));
        } else if (input.isEmpty()) {
            input = a;
        } else {
            return usage(QStringLiteral("meer dan één invoerbestand"));
        }
    }
    if (input.isEmpty() || output.isEmpty())
        return usage(QStringLiteral("build verwacht een invoerbestand en -o UITVOER"));
    return build(input, output, fileVersion);
}
