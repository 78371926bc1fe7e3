// What the store's fuzz targets share: a program folder of their own, no
// message boxes, and a check that what the store holds after an operation
// is still a store that the next run can load.
#pragma once

#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "fuzzsupport.h"
#include "platform/programfolder.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

namespace fuzzstore {

inline const QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    static SilentSink sink;
    static const bool ready = [] {
        ProgramFolder::SetPathForTesting(folder.path());
        SetMessageSink(&sink);
        return true;
    }();
    (void)ready;
    return folder;
}

inline std::string PathOf(const char* name)
{
    return ProgramFolder::FilePath(QString::fromUtf8(name)).toStdString();
}

inline void Put(const char* name, const QByteArray& bytes)
{
    QFile file(QString::fromStdString(PathOf(name)));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// The program's folder holding only the given file of the store.
inline void OnlyFile(const char* name, const uint8_t* data, size_t size)
{
    Folder();
    for (const char* file : {"tolva.rdf", "tolva.rd0", "tolva.ndf"})
        QFile::remove(QString::fromStdString(PathOf(file)));
    Put(name, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
}

// A run of the program on the files as they are.
struct Run {
    UserMan user;
    CDataFile file;
    DataMan dm{file, &user};
    u32 result = file.Open() ? 1 : dm.Init();
};

// Saves the store and loads it in a new run: a store that does not load
// again is a fault of whatever changed it.
inline void SaveAndReload(Run& run)
{
    if (run.dm.Save(DFK_DATA) != 0 || run.dm.Save(DFK_NONDATA) != 0)
        std::abort();
    run.dm.Close();
    run.file.Close();
    Run next;
    if (next.result != 0)
        std::abort();
}

}  // namespace fuzzstore
