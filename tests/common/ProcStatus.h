#pragma once
// One value of /proc/self/status in bytes ("VmRSS:", "VmHWM:", ...); 0 when unknown. Used by
// the tests and benchmarks that bound or report memory.

#include <QByteArray>
#include <QFile>

inline qint64 ProcStatusBytes(const char *name)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(qsizetype(qstrlen(name))).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}
