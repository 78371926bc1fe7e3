// Ending a QSaveFile so that what reaches the disk is what was written.
#pragma once

#include <QSaveFile>

// QSaveFile keeps small writes in a buffer that commit() writes out without
// looking at the result: on a full disk the cut file replaced the old one and
// the save said it had succeeded. Flushing first brings the failure out while
// the old file is still there; the file's error(), errorString() and errno
// then tell why, and the file left uncommitted is removed with it.
inline bool CommitWholeFile(QSaveFile& file)
{
    return file.flush() && file.error() == QFileDevice::NoError && file.commit();
}
