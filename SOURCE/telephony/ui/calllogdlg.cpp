#include "telephony/ui/calllogdlg.h"

#include "controls/contexthelp.h"
#include "controls/flatbutton.h"
#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "impexp/delimitedtext.h"
#include "impexp/iewizard.h"
#include "impexp/ui/iefilechooser.h"
#include "platform/profile.h"
#include "platform/savefile.h"
#include "platform/syserror.h"
#include "platform/ui/window.h"
#include "telephony/tapiman.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSaveFile>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <cerrno>

namespace {

constexpr const char* kMiscSection = "UserMan\\Miscellaneous";
constexpr const char* kColumnsEntry = "LogListColumns";
constexpr const char* kExportPathEntry = "LogListExpPath";
constexpr u32 IDS_TXT = 59110;
constexpr u32 IDS_TEXT_FILTER = 59664;
constexpr u32 IDS_WRITE_FILE_ERROR = 59102;
// Widths before the user has sized the columns, in average characters of the
// list's font, so that a long date fits at any font size.
constexpr i32 kDefaultChars[CLC_COUNT] = {4, 20, 24, 36, 11, 11};

QString Text(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The width the Time column needs for any call: the long date of every
// month with every weekday, two-digit days, at a time late in the day, as
// the rows write it, with the margins the list draws beside a text.
int TimeColumnWidth(const QTreeView& list)
{
    const QFontMetrics metrics = list.fontMetrics();
    int widest = 0;
    for (int month = 1; month <= 12; ++month) {
        for (int day = 21; day <= 27; ++day) {
            const DateValue start = DateFromQDateTime(QDateTime(QDate(2028, month, day), QTime(22, 58, 58)));
            const std::string text = FormatDate(start, DATE_LONGDATE) + " " + FormatTime(start, 0);
            widest = std::max(widest, metrics.horizontalAdvance(Text(text)));
        }
    }
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    return widest + 2 * margin + metrics.averageCharWidth();
}

// The file chooser leaves replacing a file to its caller.
constexpr const char* kReplaceFile = "\nThis file already exists!\n\nReplace existing file?";

}  // namespace

void CallLogModel::SetRows(std::vector<CallLogRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int CallLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CallLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : CLC_COUNT;
}

QVariant CallLogModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || std::size_t(index.row()) >= m_rows.size())
        return {};
    return Text(m_rows[std::size_t(index.row())].cells[std::size_t(index.column())]);
}

QVariant CallLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= CLC_COUNT)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(CallLogCaptions()[std::size_t(section)]);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

CDialogCallLog::CDialogCallLog(TapiMan& tapiMan, DataMan& dataMan, QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_tapiMan(tapiMan)
    , m_dataMan(dataMan)
    , m_list(new QTreeView)
    , m_dial(new CFlatButton(QStringLiteral("Dia&l")))
    , m_export(new CFlatButton(QStringLiteral("E&xport")))
    , m_delete(new CFlatButton(QStringLiteral("&Delete")))
    , m_clear(new CFlatButton(QStringLiteral("Clea&r")))
    , m_close(new CFlatButton(QStringLiteral("&Close")))
{
    setWindowTitle(QStringLiteral("Call log"));
    Caption()->setText(QStringLiteral("Select and manage call log entries"));

    m_list->setModel(&m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->header()->setStretchLastSection(false);
    m_list->setMinimumHeight(m_list->fontMetrics().height() * 12);
    SetDlgCtrlID(m_list, kListId);
    SetDlgCtrlID(m_dial, kDialId);
    SetDlgCtrlID(m_export, kExportId);
    SetDlgCtrlID(m_delete, kDeleteId);
    SetDlgCtrlID(m_clear, kClearId);
    EnableContextHelp(
        this, {{kListId, 1320}, {kDialId, 1321}, {kExportId, 1322}, {kDeleteId, 1323}, {kClearId, 1324}});

    auto* buttons = new QHBoxLayout;
    for (CFlatButton* button : {m_dial, m_export, m_delete, m_clear})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(Frame());
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(m_dial, &QPushButton::clicked, this, &CDialogCallLog::OnDial);
    connect(m_export, &QPushButton::clicked, this, &CDialogCallLog::OnExport);
    connect(m_delete, &QPushButton::clicked, this, &CDialogCallLog::OnDelete);
    connect(m_clear, &QPushButton::clicked, this, &CDialogCallLog::OnClear);
    connect(m_close, &QPushButton::clicked, this, &CDialogCallLog::reject);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &CDialogCallLog::OnDial);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &CDialogCallLog::UpdateButtons);
}

void CDialogCallLog::SetTitle(const std::string& title)
{
    setWindowTitle(Text(title));
}

CFlatButton* CDialogCallLog::Button(const QString& text) const
{
    for (CFlatButton* button : {m_dial, m_export, m_delete, m_clear, m_close}) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

bool CDialogCallLog::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    i32 widths[CLC_COUNT];
    if (!Profile::GetStruct(kMiscSection, kColumnsEntry, widths)) {
        const int average = m_list->fontMetrics().averageCharWidth();
        for (int i = 0; i < CLC_COUNT; ++i)
            widths[i] = kDefaultChars[i] * average;
        widths[CLC_TIME] = std::max(widths[CLC_TIME], TimeColumnWidth(*m_list));
    }
    int total = 0;
    for (int i = 0; i < CLC_COUNT; ++i) {
        m_list->setColumnWidth(i, std::max(widths[i], 8));
        // The header may widen a narrow column to its least section size.
        total += m_list->columnWidth(i);
    }
    m_list->setMinimumWidth(total + m_list->frameWidth() * 2);
    // The dialog was sized before the columns were: grow it so that every
    // column shows in full the first time.
    resize(size().expandedTo(sizeHint()));
    Refill();
    m_list->setFocus();
    return true;
}

void CDialogCallLog::done(int result)
{
    i32 widths[CLC_COUNT];
    for (int i = 0; i < CLC_COUNT; ++i)
        widths[i] = m_list->columnWidth(i);
    Profile::WriteStruct(kMiscSection, kColumnsEntry, widths);
    CFramedDialog::done(result);
}

void CDialogCallLog::Refill()
{
    m_model.SetRows(CallLogRows(m_dataMan, m_filter));
    UpdateButtons();
}

void CDialogCallLog::UpdateButtons()
{
    const bool selected = m_list->selectionModel()->hasSelection();
    const bool rows = m_model.rowCount() > 0;
    m_delete->setEnabled(selected);
    m_dial->setEnabled(selected);
    m_clear->setEnabled(rows);
    m_export->setEnabled(rows);
}

std::vector<int> CDialogCallLog::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CDialogCallLog::OnDial()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.size() != 1 || (m_tapiMan.GetFlags() & TAPIMAN_IN_CALL))
        return;
    const CallLogRow& row = m_model.Rows()[std::size_t(rows[0])];
    const CallLogEntry* entry = m_dataMan.GetAt<CallLogEntry>(row.position);
    if (!entry)
        return;
    const u32 contactId = entry->m_duContactID;
    const u32 kind = entry->m_dwKind;
    const std::string number = row.cells[CLC_PHONE];
    const std::string name = row.cells[CLC_NAME];
    m_tapiMan.Dial(contactId, kind, number, name);
    Refill();
}

void CDialogCallLog::OnDelete()
{
    std::vector<int> positions;
    for (int row : SelectedRows())
        positions.push_back(m_model.Rows()[std::size_t(row)].position);
    if (positions.empty())
        return;
    RemoveCallLogEntries(m_dataMan, positions);
    Refill();
}

void CDialogCallLog::OnClear()
{
    std::vector<int> positions;
    for (const CallLogRow& row : m_model.Rows())
        positions.push_back(row.position);
    if (positions.empty())
        return;
    RemoveCallLogEntries(m_dataMan, positions);
    Refill();
}

void CDialogCallLog::OnExport()
{
    QString chosen;
    const auto result
        = CurrentFileChooser().Choose(this, false, Text(Profile::GetString(kMiscSection, kExportPathEntry)),
            Text(LoadResString(IDS_TEXT_FILTER)), Text(LoadResString(IDS_TXT)), chosen);
    if (result == IEFileChooser::kFailed)
        MsgStop(IDS_IE_FILE_DIALOG_FAILED, this);
    if (result != IEFileChooser::kChosen)
        return;
    const std::string path = chosen.toStdString();
    if (QFileInfo::exists(chosen)
        && MsgQuestionText(path + kReplaceFile, this, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    Export(path);
}

bool CDialogCallLog::Export(const std::string& path)
{
    QSaveFile file(Text(path));
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        DelimitedTextFile out(file);
        std::vector<std::string> header(CallLogCaptions().begin(), CallLogCaptions().end());
        written = out.WriteRecord(',', header, false);
        for (const CallLogRow& row : m_model.Rows()) {
            if (!written)
                break;
            written = out.WriteRecord(',', row.cells, false);
        }
        written = written && out.Flush();
    }
    if (!written || !CommitWholeFile(file)) {
        ReportFileException(
            this, IDS_WRITE_FILE_ERROR, path, FileCauseFromError(ErrorFromFileDevice(file.error(), errno)));
        return false;
    }
    Profile::WriteString(kMiscSection, kExportPathEntry, path);
    return true;
}
