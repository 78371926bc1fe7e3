// Arbitrary bytes read as records through every kind of the file layer: the
// memory channel, the data file, the second data file and an export file.
#include "core/datafile.h"
#include "core/records.h"
#include "fuzzsupport.h"
#include "platform/programfolder.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Reads records of one type one after the other until the bytes give out.
template <class R> void ReadRun(CDataFile& file, const RecordIo& io)
{
    file.Rewind(io.kind);
    for (int i = 0; i < 32; ++i) {
        R record;
        if (record.Read(io) != 0)
            break;
    }
}

void ReadEvery(CDataFile& file, DataFileKind kind)
{
    for (u32 version : {kFormatVersion, 0x2400u}) {
        const RecordIo io{file, kind, nullptr, version};
        ReadRun<Contact>(file, io);
        ReadRun<Book>(file, io);
        ReadRun<Alphabet>(file, io);
        ReadRun<CallLogEntry>(file, io);
        ReadRun<SpeedDialSlot>(file, io);
        ReadRun<TimeZoneEntry>(file, io);
        ReadRun<FurtherEntry1>(file, io);
        ReadRun<FurtherEntry2>(file, io);
    }
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    static SilentSink sink;
    static const bool ready = [] {
        ProgramFolder::SetPathForTesting(folder.path());
        SetMessageSink(&sink);
        return true;
    }();
    (void)ready;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    CDataFile file;
    file.AttachMemory(bytes);
    ReadEvery(file, DFK_MEMORY);

    Put(ProgramFolder::FilePath(QStringLiteral("tolva.rdf")), bytes);
    Put(ProgramFolder::FilePath(QStringLiteral("tolva.ndf")), bytes);
    const QString exportPath = ProgramFolder::FilePath(QStringLiteral("fuzz.dtv"));
    Put(exportPath, bytes);
    if (file.Open() == 0) {
        ReadEvery(file, DFK_DATA);
        ReadEvery(file, DFK_NONDATA);
    }
    if (file.OpenExtra(exportPath.toStdString(), true) == 0)
        ReadEvery(file, DFK_EXPORT);
    file.Close();
    return 0;
}
