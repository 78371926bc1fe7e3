// The rows of the wizard's Fields page. On import, one row per column of
// the file, each mapped to one contact field or none, no field mapped from
// two columns; on export, one row per field that can be written, checked
// when it is written. The lists are kept between runs (fieldmapping.h).
#pragma once

#include "platform/wintypes.h"

#include <string>
#include <utility>
#include <vector>

class QObject;

// The names of the columns that the stored import mapping was made for, kept
// beside "ImportFields"; empty when none are kept.
std::vector<std::string> LoadImportColumnNames();
void SaveImportColumnNames(const std::vector<std::string>& names);

struct IEMappingRow {
    std::string text;  // the column's name, or the field's caption on export
    u32 fieldId = 0;
    bool checked = false;
};

class IEFieldsModel {
public:
    // The field list of the last run for the direction, else the default.
    void Load(bool import);

    // Import: the rows from the first record of the file. When it holds the
    // columns' names, the field list applies by name (MapColumnsByName),
    // else by place. 0; RC_CANNOT_OPEN when the file does not open (the
    // file error was shown); another code when it cannot be read as text
    // ("Error in import/export operation = %x" was shown). The rows are
    // empty after a failure.
    u32 RefreshImport(const std::string& path, char separator, bool oem, bool firstLineNames, QObject* owner);
    // Export: one row per field, checked when in the field list.
    void FillExport();

    // The field for one column. The column that had the field before loses
    // it, so one field is never read from two columns.
    void ChangeMapping(size_t row, u32 fieldId);
    void SetChecked(size_t row, bool checked);
    // Whether a click on the row's check box asks for a field instead of
    // ticking it: an import row with no field.
    bool ClickAsksForField(size_t row) const;

    // Makes the field list of the rows and stores it. Import refuses (with
    // "Please map any file field to some Tolva field") when no row is
    // checked. The count of columns is that of the rows.
    bool Finish(QObject* owner);

    // The Change Mapping dialog's choices: "None" (0), then each importable
    // field by its caption, in id order.
    static std::vector<std::pair<u32, std::string>> MappingChoices();

    bool m_bImport = true;
    bool m_bSampleRead = false;  // the import rows came from the file
    bool m_bNamesLine = false;  // and from its names line
    std::vector<IEMappingRow> m_rows;
    std::vector<u32> m_fields;
    // Import: the names of the columns the field list was made for, one per
    // entry; empty when it was made for a file without names.
    std::vector<std::string> m_columnNames;
};
