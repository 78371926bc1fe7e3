// The label files: the standard label sheets that ship with the program and
// the user's own ones. Each is a magic word followed by 124-byte records to
// the end of the file; a shorter tail is no record and is left alone.
#pragma once

#include "print/printrecords.h"

#include <QString>
#include <string>
#include <vector>

class QIODevice;
class QObject;

constexpr u32 kStandardLabelMagic = 0xFD35C2A1;
constexpr u32 kCustomLabelMagic = 0xFC95CCA3;
constexpr const char* kStandardLabelFile = "data\\tlvlbl.data";
constexpr const char* kCustomLabelFile = "data\\tlvlblcs.data";
constexpr u16 kMaxLabelCount = 256;  // rows or columns of a sheet

constexpr u32 IDS_LABEL_FILE_BROKEN = 59661;
constexpr u32 IDS_CUSTOM_LABEL_FILE_BROKEN = 59662;

enum class LabelFileStatus {
    Ok,
    BadMagic,  // not a label file of this kind
    BadRecord,  // a record whose rows or columns lie outside 1-256
    ReadError,
};

// Appends the device's records to the array, up to the first bad one; the
// records before it stay.
LabelFileStatus ReadLabelRecords(QIODevice& device, u32 magic, LabelDefinitionArray& labels);
// The magic and then every custom label (maker 0) of the array, in order.
bool WriteCustomLabelRecords(QIODevice& device, const LabelDefinitionArray& labels);

// Where the standard file is read from: the program's "data" folder, else
// the copy that ships with the program.
QString StandardLabelPath();

// The files with the messages a user sees. A missing custom file is no
// error. False when a message was shown; the array keeps what was read.
bool LoadStandardLabels(LabelDefinitionArray& labels);
bool LoadCustomLabels(LabelDefinitionArray& labels);
bool SaveCustomLabels(const LabelDefinitionArray& labels);
// Where the user's own sheets are kept.
QString CustomLabelPath();
// Says that the custom file, which did not read whole, is not rewritten:
// writing it from what was read would drop every sheet after the damage.
void RefuseCustomLabelChange(QObject* owner = nullptr);

// The standard file made from the table of label sheets: a header line,
// then one sheet per line (name, maker, columns, rows, paper, group, flag,
// width, height, column and row spacing, left, right and top margin, the
// two scale words, orientation).
LabelDefinition LabelFromTableRow(const std::vector<std::string>& columns);
QByteArray MakeStandardLabelFile(const std::vector<std::vector<std::string>>& rows);

// Whether the sheet's labels, spacings and top and left margins fit the
// page (twips).
bool LabelSheetFits(const LabelDefinition& label, i32 pageWidth, i32 pageHeight);
// The text a label sheet is listed with: maker, name and group; custom
// sheets say "Custom" in place of a maker.
std::string LabelListText(const LabelDefinition& label);
