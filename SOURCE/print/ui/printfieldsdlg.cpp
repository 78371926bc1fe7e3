#include "print/ui/printfieldsdlg.h"

#include "controls/contexthelp.h"
#include "core/utilities.h"
#include "platform/ui/window.h"
#include "print/printman.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr u32 IDS_FIRST_FIELD_CAPTION = 59440;

}  // namespace

CDialogPrintFields::CDialogPrintFields(PrintMan& printMan, QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_pm(printMan)
    , m_list(new QListWidget(Frame()))
    , m_up(new QPushButton(QStringLiteral("Move &Up"), Frame()))
    , m_down(new QPushButton(QStringLiteral("Move &Down"), Frame()))
{
    setWindowTitle(QStringLiteral("Fields"));
    Caption()->setText(QStringLiteral("Fields"));
    auto* instruction
        = new QLabel(QStringLiteral("Check the columns that you would like to print.\nUse \"Move Up\" "
                                    "and \"Move Down\" to change their order."),
            Frame());
    SetDlgCtrlIDAndName(m_list, 1532);
    SetDlgCtrlIDAndName(m_up, 1530);
    SetDlgCtrlIDAndName(m_down, 1531);
    auto* reset = new QPushButton(QStringLiteral("&Reset"), Frame());
    SetDlgCtrlIDAndName(reset, 1529);
    EnableContextHelp(this, {{1532, 1300}, {1530, 1301}, {1531, 1302}, {1529, 1303}});
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Frame());
    for (QPushButton* b : {m_up, m_down, reset})
        b->setAutoDefault(false);

    auto* side = new QVBoxLayout;
    side->addWidget(m_up);
    side->addWidget(m_down);
    side->addWidget(reset);
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(m_list, 1);
    row->addLayout(side);
    auto* layout = new QVBoxLayout(Frame());
    layout->addWidget(instruction);
    layout->addLayout(row);
    layout->addWidget(buttons);
    m_list->setMinimumHeight(m_list->fontMetrics().height() * 14);

    connect(m_up, &QPushButton::clicked, this, &CDialogPrintFields::OnMoveUp);
    connect(m_down, &QPushButton::clicked, this, &CDialogPrintFields::OnMoveDown);
    connect(reset, &QPushButton::clicked, this, &CDialogPrintFields::OnReset);
    connect(m_list, &QListWidget::currentRowChanged, this, &CDialogPrintFields::UpdateButtons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogPrintFields::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDialogPrintFields::reject);
}

bool CDialogPrintFields::OnInitDialog()
{
    Fill(m_pm.m_Fields);
    return CFramedDialog::OnInitDialog();
}

void CDialogPrintFields::Fill(const std::vector<u32>& fields)
{
    m_list->clear();
    for (const u32 entry : fields) {
        const u32 n = entry & PFL_FIELD_MASK;
        auto* item
            = new QListWidgetItem(QString::fromUtf8(LoadResString(IDS_FIRST_FIELD_CAPTION + n)), m_list);
        item->setData(Qt::UserRole, entry & ~PFL_PRINTED);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry & PFL_PRINTED ? Qt::Checked : Qt::Unchecked);
    }
    m_list->setCurrentRow(0);
    UpdateButtons();
}

void CDialogPrintFields::OnReset()
{
    std::vector<u32> fields;
    for (u32 n = 1; n <= kPrintFieldCount; ++n)
        fields.push_back(n | PFL_PRINTED);
    Fill(fields);
}

void CDialogPrintFields::Move(int step)
{
    const int row = m_list->currentRow();
    const int other = row + step;
    if (row < 0 || other < 0 || other >= m_list->count())
        return;
    QListWidgetItem* item = m_list->takeItem(row);
    m_list->insertItem(other, item);
    m_list->setCurrentRow(other);
    m_list->scrollToItem(item);
    UpdateButtons();
}

void CDialogPrintFields::UpdateButtons()
{
    const int row = m_list->currentRow();
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row + 1 < m_list->count());
}

void CDialogPrintFields::OnOK()
{
    // Enter on a move or reset button acts as that button.
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && focused->parent() == Frame()) {
        focused->click();
        return;
    }
    std::vector<u32> fields;
    for (int i = 0; i < m_list->count(); ++i) {
        const QListWidgetItem* item = m_list->item(i);
        fields.push_back(
            item->data(Qt::UserRole).toUInt() | (item->checkState() == Qt::Checked ? PFL_PRINTED : 0));
    }
    m_pm.m_Fields = fields;
    CFramedDialog::OnOK();
}
