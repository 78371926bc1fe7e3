#include "print/labelfile.h"

#include "core/utilities.h"
#include "platform/programfolder.h"
#include "platform/regularfile.h"
#include "platform/savefile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kNameColumn = 0;
constexpr size_t kTableColumns = 17;
constexpr size_t kMaxNameLength = 63;

u16 Number(const std::vector<std::string>& columns, size_t index)
{
    return index < columns.size() ? u16(std::strtol(columns[index].c_str(), nullptr, 10)) : 0;
}

bool CountsInRange(const LabelDefinition& label)
{
    return label.m_wColumns >= 1 && label.m_wColumns <= kMaxLabelCount && label.m_wRows >= 1
        && label.m_wRows <= kMaxLabelCount;
}

// Names the file and gives the system's text of the failed open.
void ShowOpenError(const QFile& file)
{
    MsgStopText("The label data file \"" + QDir::toNativeSeparators(file.fileName()).toStdString()
        + "\" could not be opened because of this error: " + file.errorString().toStdString());
}

bool LoadFile(const QString& path, u32 magic, u32 brokenId, bool missingIsError, LabelDefinitionArray& labels)
{
    CRegularFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!missingIsError && !file.exists())
            return true;
        ShowOpenError(file);
        return false;
    }
    if (ReadLabelRecords(file, magic, labels) != LabelFileStatus::Ok) {
        MsgStop(brokenId);
        return false;
    }
    return true;
}

}  // namespace

LabelFileStatus ReadLabelRecords(QIODevice& device, u32 magic, LabelDefinitionArray& labels)
{
    u32 word = 0;
    if (device.read(reinterpret_cast<char*>(&word), sizeof word) != qint64(sizeof word)
        || qFromLittleEndian(word) != magic)
        return LabelFileStatus::BadMagic;
    for (;;) {
        const QByteArray bytes = device.read(LabelDefinition::kSize);
        if (bytes.size() < qsizetype(LabelDefinition::kSize))
            return bytes.isEmpty() || device.atEnd() ? LabelFileStatus::Ok : LabelFileStatus::ReadError;
        LabelDefinition record;
        record.FromBytes(bytes);
        LabelDefinition label;
        label.CopyFrom(record);
        // The name field need not hold its terminating zero.
        label.m_szName[sizeof label.m_szName - 1] = 0;
        if (!CountsInRange(label))
            return LabelFileStatus::BadRecord;
        labels.push_back(label);
    }
}

bool WriteCustomLabelRecords(QIODevice& device, const LabelDefinitionArray& labels)
{
    const u32 magic = qToLittleEndian(kCustomLabelMagic);
    if (device.write(reinterpret_cast<const char*>(&magic), sizeof magic) != qint64(sizeof magic))
        return false;
    for (const LabelDefinition& label : labels)
        if (label.m_wMaker == LABEL_CUSTOM && device.write(label.ToBytes()) != qint64(LabelDefinition::kSize))
            return false;
    return true;
}

QString StandardLabelPath()
{
    const QString own = ProgramFolder::FilePath(QString::fromLatin1(kStandardLabelFile));
    return QFile::exists(own) ? own : ProgramFolder::SharedPath(QString::fromLatin1(kStandardLabelFile));
}

bool LoadStandardLabels(LabelDefinitionArray& labels)
{
    return LoadFile(StandardLabelPath(), kStandardLabelMagic, IDS_LABEL_FILE_BROKEN, true, labels);
}

QString CustomLabelPath()
{
    return ProgramFolder::FilePath(QString::fromLatin1(kCustomLabelFile));
}

bool LoadCustomLabels(LabelDefinitionArray& labels)
{
    return LoadFile(CustomLabelPath(), kCustomLabelMagic, IDS_CUSTOM_LABEL_FILE_BROKEN, false, labels);
}

void RefuseCustomLabelChange(QObject* owner)
{
    MsgStopText("The custom label file \"" + QDir::toNativeSeparators(CustomLabelPath()).toStdString()
            + "\" could not be read whole, so it is left as it is: saving the change would lose the labels "
              "that could not be read. Repair, move or delete the file, then try again.",
        owner);
}

bool SaveCustomLabels(const LabelDefinitionArray& labels)
{
    // Written beside the old file and renamed over it, so a failed write
    // keeps the labels saved before.
    QSaveFile file(CustomLabelPath());
    if (file.open(QIODevice::WriteOnly) && WriteCustomLabelRecords(file, labels) && CommitWholeFile(file))
        return true;
    MsgStopText("Failed to write data file with custom labels because of this error: "
        + file.errorString().toStdString());
    return false;
}

LabelDefinition LabelFromTableRow(const std::vector<std::string>& columns)
{
    LabelDefinition label;
    if (!columns.empty())
        label.SetName(columns[kNameColumn].substr(0, kMaxNameLength));
    label.m_wMaker = Number(columns, 1);
    label.m_wColumns = Number(columns, 2);
    label.m_wRows = Number(columns, 3);
    label.m_wPaper = Number(columns, 4);
    label.m_wGroup = Number(columns, 5);
    label.m_wFlags = Number(columns, 6) ? LDF_TABLE_BIT4 : LDF_TABLE_BIT5;
    label.m_wWidth = Number(columns, 7);
    label.m_wHeight = Number(columns, 8);
    label.m_wColumnSpacing = Number(columns, 9);
    label.m_wRowSpacing = Number(columns, 10);
    label.m_wLeftMargin = Number(columns, 11);
    label.m_wRightMargin = Number(columns, 12);
    label.m_wTopMargin = Number(columns, 13);
    label.m_wScale1 = Number(columns, 14);
    label.m_wScale2 = Number(columns, 15);
    if (columns.size() >= kTableColumns) {
        const u16 orientation = Number(columns, 16);
        if (orientation == 0)
            label.m_wFlags |= LDF_LANDSCAPE;
        else if (orientation == 1)
            label.m_wFlags |= LDF_PORTRAIT;
    }
    return label;
}

QByteArray MakeStandardLabelFile(const std::vector<std::vector<std::string>>& rows)
{
    const u32 magic = qToLittleEndian(kStandardLabelMagic);
    QByteArray file(reinterpret_cast<const char*>(&magic), sizeof magic);
    for (size_t i = 1; i < rows.size(); ++i)
        file += LabelFromTableRow(rows[i]).ToBytes();
    return file;
}

bool LabelSheetFits(const LabelDefinition& l, i32 pageWidth, i32 pageHeight)
{
    using i64 = std::int64_t;
    const i64 rows = l.m_wRows, columns = l.m_wColumns;
    const i64 height = (rows - 1) * l.m_wRowSpacing + rows * l.m_wHeight + l.m_wTopMargin;
    const i64 width = (columns - 1) * l.m_wColumnSpacing + columns * l.m_wWidth + l.m_wLeftMargin;
    return height <= pageHeight && width <= pageWidth;
}

std::string LabelListText(const LabelDefinition& label)
{
    if (label.m_wMaker == LABEL_CUSTOM)
        return label.Name() + " - Custom " + LabelGroupText(label.m_wGroup);
    // Sheets of no named maker are listed by their name alone.
    const std::string maker = LabelMakerText(label.m_wMaker);
    return (maker.empty() ? "" : maker + " - ") + label.Name() + " - " + LabelGroupText(label.m_wGroup);
}
