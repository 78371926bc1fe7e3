#include "impexp/iefieldsmodel.h"

#include "core/utilities.h"
#include "impexp/delimitedtext.h"
#include "impexp/fieldmapping.h"
#include "impexp/iesheetstate.h"
#include "platform/profile.h"
#include "platform/regularfile.h"
#include "platform/syserror.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

constexpr const char* kNothingMapped = "Please map any file field to some Tolva field";
constexpr const char* kSampleFailed = "Error in import/export operation = %x";
constexpr const char* kColumnName = "Field %d";
constexpr const char* kNoField = "None";
constexpr const char* kSection = "DataMan";
constexpr const char* kColumnNamesEntry = "ImportColumns";

}  // namespace

std::vector<std::string> LoadImportColumnNames()
{
    // Each name ends in a NUL: names hold any other byte.
    std::vector<std::string> names;
    const auto bytes = Profile::GetBinaryAnySize(kSection, kColumnNamesEntry);
    if (!bytes || bytes->isEmpty() || bytes->back() != '\0')
        return names;
    for (qsizetype start = 0; start < bytes->size();) {
        const qsizetype end = bytes->indexOf('\0', start);
        names.emplace_back(bytes->constData() + start, size_t(end - start));
        start = end + 1;
    }
    return names;
}

void SaveImportColumnNames(const std::vector<std::string>& names)
{
    std::string bytes;
    for (const std::string& name : names) {
        bytes.append(name.c_str());  // a name cut at a NUL of its own
        bytes += '\0';
    }
    Profile::WriteBinary(kSection, kColumnNamesEntry, bytes.data(), qsizetype(bytes.size()));
}

void IEFieldsModel::Load(bool import)
{
    m_bImport = import;
    m_fields = LoadFieldList(import);
    m_columnNames.clear();
    if (import) {
        m_columnNames = LoadImportColumnNames();
        // Names of another list than the one stored say nothing of it.
        if (m_columnNames.size() != m_fields.size())
            m_columnNames.clear();
    }
    m_rows.clear();
    m_bSampleRead = false;
    m_bNamesLine = false;
}

u32 IEFieldsModel::RefreshImport(
    const std::string& path, char separator, bool oem, bool firstLineNames, QObject* owner)
{
    m_rows.clear();
    m_bSampleRead = false;
    CRegularFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        ReportFileException(
            owner, IDS_IMPORT_FILE_ERROR, path, FileCauseFromError(ErrorFromFileDevice(file.error(), errno)));
        return RC_CANNOT_OPEN;
    }
    DelimitedTextFile in(file);
    std::vector<std::string> names;
    bool endOfFile = false;
    if (!in.ReadRecord(separator, names, endOfFile, oem)) {
        MsgStopText(FormatText(kSampleFailed, RC_MISSING) + "\n" + in.Error(), owner);
        return RC_MISSING;
    }
    // A file with nothing in it still has one (empty) column. Without names
    // the list goes by place; with them a column is known by its name alone,
    // as another program's file has its own columns in its own order.
    std::vector<u32> mapped;
    if (firstLineNames) {
        mapped = MapColumnsByName(names, m_columnNames, m_fields);
        m_fields = mapped;
        m_columnNames = names;
    } else {
        m_fields.resize(names.size(), 0);
        m_columnNames.resize(m_columnNames.empty() ? 0 : names.size());
        mapped = m_fields;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        const u32 id = mapped[i];
        m_rows.push_back({firstLineNames ? names[i] : FormatText(kColumnName, unsigned(i)), id, id != 0});
    }
    m_bNamesLine = firstLineNames;
    m_bSampleRead = true;
    return 0;
}

void IEFieldsModel::FillExport()
{
    m_rows.clear();
    for (const u32 id : MappedFields()) {
        const bool chosen = std::find(m_fields.begin(), m_fields.end(), id) != m_fields.end();
        m_rows.push_back({LoadResString(id), id, chosen});
    }
}

void IEFieldsModel::ChangeMapping(size_t row, u32 fieldId)
{
    if (row >= m_rows.size())
        return;
    if (fieldId != 0) {
        const auto holder = std::find_if(
            m_rows.begin(), m_rows.end(), [fieldId](const IEMappingRow& r) { return r.fieldId == fieldId; });
        if (holder != m_rows.end())
            *holder = {holder->text, 0, false};
    }
    m_rows[row].fieldId = fieldId;
    m_rows[row].checked = fieldId != 0;
    // The list follows, so that reading the file again keeps the choice.
    m_fields.resize(std::max(m_fields.size(), m_rows.size()), 0);
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_fields[i] = m_rows[i].fieldId;
    if (m_bNamesLine) {
        m_columnNames.resize(m_fields.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_columnNames[i] = m_rows[i].text;
    }
}

void IEFieldsModel::SetChecked(size_t row, bool checked)
{
    if (row < m_rows.size())
        m_rows[row].checked = checked && (!m_bImport || m_rows[row].fieldId != 0);
}

bool IEFieldsModel::ClickAsksForField(size_t row) const
{
    return m_bImport && row < m_rows.size() && m_rows[row].fieldId == 0;
}

bool IEFieldsModel::Finish(QObject* owner)
{
    if (!m_bImport) {
        m_fields.clear();
        for (const IEMappingRow& row : m_rows)
            if (row.checked)
                m_fields.push_back(row.fieldId);
        SaveFieldList(false, m_fields);
        return true;
    }
    if (std::none_of(m_rows.begin(), m_rows.end(), [](const IEMappingRow& r) { return r.checked; })) {
        MsgWarningText(kNothingMapped, owner);
        return false;
    }
    m_fields.clear();
    m_columnNames.clear();
    for (const IEMappingRow& row : m_rows) {
        m_fields.push_back(row.checked ? row.fieldId : 0);
        if (m_bNamesLine)
            m_columnNames.push_back(row.text);
    }
    SaveFieldList(true, m_fields);
    SaveImportColumnNames(m_columnNames);
    return true;
}

std::vector<std::pair<u32, std::string>> IEFieldsModel::MappingChoices()
{
    std::vector<std::pair<u32, std::string>> choices{{0, kNoField}};
    for (const u32 id : MappedFields())
        if (IsImportableField(id))
            choices.emplace_back(id, LoadResString(id));
    return choices;
}
