#pragma once
// The full disk of the write-failure tests: a small tmpfs that tests/common/volle_schijf.sh
// mounts in a private mount namespace and names in KIEKJES_VOLLE_SCHIJF (or, where it cannot,
// explains why in KIEKJES_VOLLE_SCHIJF_ONMOGELIJK). Only a small tmpfs is ever filled.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QString>

#include <algorithm>

namespace volleschijf {

// The tmpfs of this run; empty when the test runs without one.
inline QString Folder() { return qEnvironmentVariable("KIEKJES_VOLLE_SCHIJF"); }

// Why no tmpfs could be made; empty when that was not tried or worked.
inline QString Unavailable() { return qEnvironmentVariable("KIEKJES_VOLLE_SCHIJF_ONMOGELIJK"); }

// True for the root of a tmpfs of at most 4 MiB: nothing else may be filled.
inline bool IsSmallTmpfs(const QString &folder)
{
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.rootPath() == QDir(folder).absolutePath() && disk.fileSystemType() == "tmpfs"
        && disk.bytesTotal() <= 4 * 1024 * 1024;
}

// Removes everything on the disk.
inline bool Empty(const QString &folder)
{
    QDir disk(folder);
    bool ok = true;
    for (const QString &name : disk.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        ok = (QFileInfo(disk.filePath(name)).isDir() ? QDir(disk.filePath(name)).removeRecursively()
                                                     : QFile::remove(disk.filePath(name)))
            && ok;
    return ok;
}

// Fills the disk with the file "vulling" so that no more than `leaveFree` bytes can still be
// written; Free removes it again.
inline bool Fill(const QString &folder, qint64 leaveFree = 0)
{
    QFile filler(folder + QStringLiteral("/vulling"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    // Big pieces first, then single bytes, until the disk refuses.
    const QByteArray piece(4096, 'v');
    qint64 written = 0;
    for (int guard = 0; guard < 4096 && filler.write(piece) == piece.size(); ++guard)
        written += piece.size();
    for (int guard = 0; guard < 8192 && filler.write("v", 1) == 1; ++guard)
        ++written;
    if (written == 0 && leaveFree == 0)
        return true; // already full
    if (leaveFree > 0 && !filler.resize(std::max<qint64>(0, filler.size() - leaveFree)))
        return false;
    filler.close();
    // Full means full: one more byte does not fit (unless room was left on purpose).
    if (leaveFree == 0) {
        QFile probe(folder + QStringLiteral("/proef"));
        const bool fits = probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && probe.write("p", 1) == 1;
        probe.close();
        QFile::remove(probe.fileName());
        return !fits;
    }
    return true;
}

inline bool Free(const QString &folder) { return QFile::remove(folder + QStringLiteral("/vulling")); }

} // namespace volleschijf
