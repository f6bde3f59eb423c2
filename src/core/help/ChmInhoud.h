#pragma once
// The parts of a compiled HTML help file (.chm) that the program reads itself, apart from the
// container (libchm reads that): the "#SYSTEM" record list, the table of contents in sitemap
// form, and the paths of the objects inside the file.

#include <QByteArray>
#include <QList>
#include <QString>

struct TChmOnderwerp {
    QString naam;  // the caption shown in the table of contents
    QString pagina; // the page inside the file, "/index.html" (empty for a heading without page)
    int niveau = 0; // nesting depth, 0 for the top level
};

namespace chm {

// "page.html", "/page.html" or "dir/../page.html#x" -> "/page.html" (the form libchm looks up);
// nothing above the root of the file; empty for an empty path or only a fragment.
QString NormalPath(const QString &local);
// The entries of a table of contents in sitemap form (<object type="text/sitemap"> with
// "Name" and "Local" parameters inside nested <ul> lists); entries without a name are left out.
QList<TChmOnderwerp> ParseContents(const QByteArray &hhc);
// Contents file, default topic and title from the "#SYSTEM" record list.
struct TSysteem {
    QString contents, defaultTopic, title;
};
TSysteem ParseSystem(const QByteArray &system);

} // namespace chm
