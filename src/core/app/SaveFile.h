#pragma once
// Finishing a QSaveFile so that a failed write can never replace the previous file.
//
// QSaveFile::commit() (Qt 6.4) writes out its buffer and renames the new file over the old
// one, but it reports success even when that last write failed (a full disk): the old file
// is then replaced by a short or empty one. Flushing first, and giving up when that fails,
// keeps the old file in place.

#include <QSaveFile>
#include <QString>

// True when every byte is on disk and the new file has replaced the old one. On false the
// old file is untouched and `why` holds the system's reason.
inline bool FlushAndCommit(QSaveFile &file, QString &why)
{
    if (!file.flush()) {
        why = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        why = file.errorString();
        return false;
    }
    return true;
}
