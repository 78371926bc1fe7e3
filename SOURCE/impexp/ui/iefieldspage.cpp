#include "core/utilities.h"
#include "impexp/ui/dialogchangemapping.h"
#include "impexp/ui/iepages.h"
#include "impexp/ui/iesheet.h"
#include "platform/ui/window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr char kDefaultSeparator = ';';

}  // namespace

CIEFieldsPage::CIEFieldsPage(CIESheet* sheet)
    : CIEPage(sheet, 122)
    , m_list(new QTableWidget(this))
    , m_firstLine(new QCheckBox(QStringLiteral("&First line in file contains field names"), this))
    , m_dateLabel(new QLabel(QStringLiteral("&Date format:"), this))
    , m_dateFormat(new QComboBox(this))
    , m_change(new QPushButton(QStringLiteral("&Change mapping"), this))
    , m_separatorLabel(new QLabel(QStringLiteral("&Separator:"), this))
    , m_separator(new QLineEdit(this))
{
    SetDlgCtrlID(m_list, IDC_IE_MAPPING);
    SetDlgCtrlID(m_firstLine, IDC_IE_FIRST_LINE);
    SetDlgCtrlID(m_dateFormat, IDC_IE_DATE_FORMAT);
    SetDlgCtrlID(m_change, IDC_IE_CHANGE);
    SetDlgCtrlID(m_separator, IDC_IE_SEPARATOR);
    Caption()->setBuddy(m_list);
    m_dateLabel->setBuddy(m_dateFormat);
    m_separatorLabel->setBuddy(m_separator);
    m_dateFormat->addItems({QStringLiteral("Month - Day - Year"), QStringLiteral("Day - Month - Year"),
        QStringLiteral("Year - Month - Day")});
    m_change->setAutoDefault(false);
    m_separator->setMaxLength(1);
    m_separator->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("MMMM")));
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    // The arrows move between the rows; Tab goes on to the next control.
    m_list->setTabKeyNavigation(false);

    Body()->addWidget(m_list, 1);
    auto* grid = new QGridLayout;
    grid->addWidget(m_firstLine, 0, 0, 1, 2);
    grid->addWidget(m_change, 0, 3, Qt::AlignRight);
    grid->addWidget(m_dateLabel, 1, 0);
    grid->addWidget(m_dateFormat, 1, 1);
    grid->addWidget(m_separatorLabel, 1, 2, Qt::AlignRight);
    grid->addWidget(m_separator, 1, 3, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    Body()->addLayout(grid);

    connect(m_change, &QPushButton::clicked, this, &CIEFieldsPage::ChangeMapping);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] {
        if (Wizard().IsImport())
            ChangeMapping();
    });
    connect(m_list, &QTableWidget::cellChanged, this, &CIEFieldsPage::OnItemChanged);
    connect(m_firstLine, &QCheckBox::clicked, this, [this](bool checked) {
        Wizard().m_state.m_bFirstLineNames = checked;
        Refresh();
    });
    connect(m_dateFormat, &QComboBox::currentIndexChanged, this,
        [this](int index) { Wizard().m_state.m_nDateFormat = index; });
    connect(m_separator, &QLineEdit::textEdited, this, &CIEFieldsPage::OnSeparatorEdited);
    connect(m_separator, &QLineEdit::editingFinished, this, [this] {
        if (m_separator->text().isEmpty()) {
            m_separator->setText(QString(QLatin1Char(kDefaultSeparator)));
            OnSeparatorEdited(m_separator->text());
        }
    });
}

void CIEFieldsPage::OnSetActive()
{
    IEWizard& wizard = Wizard();
    const bool import = wizard.IsImport();
    Caption()->setText(import ? QStringLiteral("Map the fields you wish to import:")
                              : QStringLiteral("Select the fields you wish to export:"));
    for (QWidget* w : {static_cast<QWidget*>(m_firstLine), static_cast<QWidget*>(m_dateLabel),
             static_cast<QWidget*>(m_dateFormat), static_cast<QWidget*>(m_change)})
        w->setVisible(import);
    const bool separator = import && wizard.m_nFormat == IEF_USER_SEPARATOR;
    m_separatorLabel->setVisible(separator);
    m_separator->setVisible(separator);
    m_separator->setText(QString(QLatin1Char(wizard.m_state.m_chSeparator)));
    m_firstLine->setChecked(wizard.m_state.m_bFirstLineNames);
    m_dateFormat->setCurrentIndex(wizard.m_state.m_nDateFormat);
    ShowPicture();
    FillList();
}

void CIEFieldsPage::OnKillActive()
{
}

QWidget* CIEFieldsPage::FirstControl() const
{
    return m_list;
}

bool CIEFieldsPage::ListHasFocus() const
{
    // The window's focus control, whether or not the window is active.
    return window()->focusWidget() == m_list;
}

void CIEFieldsPage::FillList()
{
    const IEFieldsModel& fields = Wizard().m_fields;
    const bool import = fields.m_bImport;
    m_filling = true;
    const int current = m_list->currentRow();
    m_list->clear();
    m_list->setColumnCount(import ? 2 : 1);
    m_list->setHorizontalHeaderLabels(import
            ? QStringList{QStringLiteral("Text field"), QStringLiteral("Tolva field")}
            : QStringList{QStringLiteral("Field")});
    m_list->horizontalHeader()->setVisible(import);
    m_list->setRowCount(int(fields.m_rows.size()));
    for (int row = 0; row < m_list->rowCount(); ++row) {
        const IEMappingRow& r = fields.m_rows[size_t(row)];
        auto* text = new QTableWidgetItem(QString::fromStdString(r.text));
        text->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        text->setCheckState(r.checked ? Qt::Checked : Qt::Unchecked);
        m_list->setItem(row, 0, text);
        if (import) {
            auto* field = new QTableWidgetItem(
                r.fieldId ? QString::fromStdString(LoadResString(r.fieldId)) : QString());
            field->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            m_list->setItem(row, 1, field);
        }
    }
    if (import)
        m_list->setColumnWidth(0, DialogUnitsToPixelsX(this, 110));
    m_list->setCurrentCell(std::clamp(current, 0, std::max(0, m_list->rowCount() - 1)), 0);
    m_filling = false;
    Sheet()->UpdateButtons();
}

void CIEFieldsPage::Refresh()
{
    IEWizard& wizard = Wizard();
    wizard.m_fields.RefreshImport(wizard.m_state.m_strImportPath, wizard.m_state.m_chSeparator,
        wizard.m_state.m_bOem, wizard.m_state.m_bFirstLineNames, this);
    FillList();
    if (!wizard.m_fields.m_bSampleRead)
        m_list->setFocus();
}

void CIEFieldsPage::OnItemChanged(int row, int column)
{
    if (m_filling || column != 0)
        return;
    IEFieldsModel& fields = Wizard().m_fields;
    const bool checked = m_list->item(row, 0)->checkState() == Qt::Checked;
    if (checked && fields.ClickAsksForField(size_t(row))) {
        // A column without a field cannot be ticked: choose its field.
        m_list->setCurrentCell(row, 0);
        FillList();
        ChangeMapping();
        return;
    }
    fields.SetChecked(size_t(row), checked);
}

void CIEFieldsPage::OnSeparatorEdited(const QString& text)
{
    if (text.isEmpty())
        return;
    const QByteArray bytes = text.left(1).toLatin1();
    Wizard().m_state.m_chSeparator = bytes.isEmpty() || bytes[0] == '\0' ? kDefaultSeparator : bytes[0];
    Refresh();
}

void CIEFieldsPage::ChangeMapping()
{
    IEFieldsModel& fields = Wizard().m_fields;
    const int row = m_list->currentRow();
    if (!fields.m_bImport || row < 0 || size_t(row) >= fields.m_rows.size())
        return;
    CDialogChangeMapping dialog(fields.m_rows[size_t(row)].fieldId, fields.m_rows[size_t(row)].text, this);
    if (dialog.DoModal() != IDOK)
        return;
    fields.ChangeMapping(size_t(row), dialog.m_nFieldId);
    FillList();
}
