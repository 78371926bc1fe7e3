#include "core/dataman.h"
#include "core/records.h"
#include "core/utilities.h"
#include "editing/prefpages.h"
#include "editing/prefutil.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr u32 IDS_TOO_MANY_ALPHABETS = 59139;
constexpr u32 IDS_LAST_ALPHABET = 59140;
constexpr u32 IDS_DELETE_CURRENT_ALPHABET = 59141;
constexpr const char* kColumnsEntry = "AlphaListColumns";

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

CPrefAlphabetsPage::CPrefAlphabetsPage(PrefContext& context, QWidget* host)
    : CDialogPage(host)
    , m_context(context)
{
    Caption()->setText(tr("Alphabets for the alphabet bar"));
    SetFocusRange(1155, 1160);
    auto* grid = new QGridLayout(Body());
    m_list = new QTreeWidget;
    SetDlgCtrlID(m_list, 1155);
    m_list->setHeaderLabels({tr("Name"), tr("Content")});
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->addWidget(m_list, 0, 0, 1, 3);

    const auto field = [grid](int id, const QString& label, int row) {
        auto* caption = new QLabel(label);
        auto* edit = new QLineEdit;
        SetDlgCtrlID(edit, id);
        caption->setBuddy(edit);
        grid->addWidget(caption, row, 0);
        grid->addWidget(edit, row, 1, 1, 2);
        return edit;
    };
    m_name = field(1156, tr("&Name:"), 1);
    m_letters = field(1157, tr("C&ontent:"), 2);
    auto* buttons = new QHBoxLayout;
    grid->addLayout(buttons, 3, 0, 1, 3);
    buttons->addStretch(1);
    m_add = AddButton(buttons, 1158, "&Add");
    m_edit = AddButton(buttons, 1159, "&Edit");
    m_delete = AddButton(buttons, 1160, "&Delete");
    grid->setRowStretch(0, 1);

    connect(m_add, &QPushButton::clicked, this, &CPrefAlphabetsPage::OnAdd);
    connect(m_edit, &QPushButton::clicked, this, &CPrefAlphabetsPage::OnEdit);
    connect(m_delete, &QPushButton::clicked, this, &CPrefAlphabetsPage::OnDelete);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CPrefAlphabetsPage::UpdateButtons);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CPrefAlphabetsPage::OnEdit);
    connect(m_name, &QLineEdit::textChanged, this, &CPrefAlphabetsPage::UpdateButtons);
    connect(m_letters, &QLineEdit::textChanged, this, &CPrefAlphabetsPage::UpdateButtons);

    Fill();
    LoadColumnWidths(m_list, kColumnsEntry, 100, 250);
    UpdateButtons();
}

CPrefAlphabetsPage::~CPrefAlphabetsPage()
{
    SaveColumnWidths(m_list, kColumnsEntry);
}

void CPrefAlphabetsPage::Fill()
{
    m_list->clear();
    const int count = m_context.dataMan.GetCount(DMK_ALPHABET);
    for (int i = 0; i < count; ++i) {
        const Alphabet* alphabet = m_context.dataMan.GetAt<Alphabet>(i);
        auto* item = new QTreeWidgetItem(m_list, {Text(alphabet->m_strName), Text(alphabet->m_strLetters)});
        item->setData(0, Qt::UserRole, i);
    }
}

int CPrefAlphabetsPage::SelectedRow() const
{
    const QList<QTreeWidgetItem*> items = m_list->selectedItems();
    return items.isEmpty() ? -1 : m_list->indexOfTopLevelItem(items.front());
}

void CPrefAlphabetsPage::UpdateButtons()
{
    const bool filled = !m_name->text().isEmpty() && !m_letters->text().isEmpty();
    const bool selected = SelectedRow() >= 0;
    m_add->setEnabled(!m_bUpdateMode && filled);
    m_edit->setEnabled(m_bUpdateMode ? filled : selected);
    m_delete->setEnabled(!m_bUpdateMode && selected);
}

void CPrefAlphabetsPage::OnAdd()
{
    if (m_bUpdateMode || m_name->text().isEmpty() || m_letters->text().isEmpty())
        return;
    DataMan& data = m_context.dataMan;
    if (data.GetCount(DMK_ALPHABET) >= kMaxAlphabets) {
        MsgStop(IDS_TOO_MANY_ALPHABETS, this);
        return;
    }
    auto alphabet = std::make_unique<Alphabet>();
    alphabet->m_strName = m_name->text().toStdString();
    alphabet->m_strLetters = m_letters->text().toStdString();
    data.Add(std::move(alphabet));
    Fill();
    m_name->clear();
    m_letters->clear();
    UpdateButtons();
}

void CPrefAlphabetsPage::OnEdit()
{
    DataMan& data = m_context.dataMan;
    if (!m_bUpdateMode) {
        const int row = SelectedRow();
        const Alphabet* alphabet = row >= 0 ? data.GetAt<Alphabet>(row) : nullptr;
        if (!alphabet)
            return;
        m_nEditRow = row;
        m_name->setText(Text(alphabet->m_strName));
        m_letters->setText(Text(alphabet->m_strLetters));
        m_edit->setText(tr("&Update"));
        m_list->setEnabled(false);
        m_bUpdateMode = true;
        if (alphabet->m_dwFlags & ALPHABET_CURRENT)
            m_bCurrentAlphabetChanged = true;
        m_name->setFocus();
    } else {
        if (m_name->text().isEmpty() || m_letters->text().isEmpty())
            return;
        if (Alphabet* alphabet = data.GetAt<Alphabet>(m_nEditRow)) {
            alphabet->m_strName = m_name->text().toStdString();
            alphabet->m_strLetters = m_letters->text().toStdString();
            QTreeWidgetItem* item = m_list->topLevelItem(m_nEditRow);
            item->setText(0, m_name->text());
            item->setText(1, m_letters->text());
        }
        m_edit->setText(tr("&Edit"));
        m_name->clear();
        m_letters->clear();
        m_list->setEnabled(true);
        m_bUpdateMode = false;
        m_nEditRow = -1;
    }
    UpdateButtons();
}

void CPrefAlphabetsPage::OnDelete()
{
    DataMan& data = m_context.dataMan;
    const int row = SelectedRow();
    if (m_bUpdateMode || row < 0)
        return;
    if (m_list->topLevelItemCount() < 2) {
        MsgStop(IDS_LAST_ALPHABET, this);
        return;
    }
    const Alphabet* alphabet = data.GetAt<Alphabet>(row);
    const bool current = alphabet && (alphabet->m_dwFlags & ALPHABET_CURRENT);
    if (current && MsgQuestion(IDS_DELETE_CURRENT_ALPHABET, this, MB_YESNO) != IDYES)
        return;
    data.RemoveAt(DMK_ALPHABET, row);
    if (current) {
        data.GetAt<Alphabet>(0)->m_dwFlags |= ALPHABET_CURRENT;
        m_bCurrentAlphabetChanged = true;
    }
    Fill();
    UpdateButtons();
}

void CPrefAlphabetsPage::OnOK()
{
    // Enter works the button the user is on: the list and "&Edit" edit,
    // "&Delete" deletes, the fields and "&Add" add.
    QWidget* focus = QApplication::focusWidget();
    if (focus == m_list || focus == m_edit) {
        OnEdit();
    } else if (focus == m_delete) {
        OnDelete();
    } else if (focus == m_name || focus == m_letters || focus == m_add) {
        if (m_bUpdateMode)
            OnEdit();
        else
            OnAdd();
    } else {
        CDialogPage::OnOK();
        return;
    }
    m_nResult = kResultNone;
}
