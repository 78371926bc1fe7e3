#include "editing/addressformatsdlg.h"

#include "controls/contexthelp.h"
#include "controls/flatbutton.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "editing/addressformatdlg.h"
#include "platform/ui/window.h"
#include "print/printman.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

constexpr u32 IDS_EDIT_BUILTIN_FORMAT = 59674;
// The list's least size, in dialog units.
constexpr int kListWidth = 120;
constexpr int kListHeight = 80;

QString NameOf(const AddressFormat& format)
{
    return QString::fromStdString(format.Name());
}

}  // namespace

void KeepAddressFormatReferences(UserMan& userMan, DataMan& dataMan, PrintMan* printMan)
{
    userMan.WatchAddressFormats([&userMan, &dataMan, printMan](const AddressFormatRemap& remap) {
        const size_t count = userMan.m_addressFormats.GetSize();
        bool changed = false;
        for (int i = 0; i < dataMan.GetContactCount(); ++i) {
            if (Contact* contact = dataMan.GetContactAt(i))
                changed = RemapAddressFormats(*contact, remap, count) || changed;
        }
        if (changed)
            dataMan.Save(DFK_DATA);
        if (printMan) {
            printMan->m_EnvelopeAddressFormat = RemapFormatIndex(printMan->m_EnvelopeAddressFormat, remap, 0);
            printMan->m_LabelFields = RemapFormatIndex(printMan->m_LabelFields, remap, 0);
            printMan->Save();
        }
    });
}

CDialogAddressFormats::CDialogAddressFormats(QWidget* parent, UserMan* userMan)
    : CFramedDialog(kTemplateId, parent)
    , m_userMan(userMan ? *userMan : *AppUserMan())
    , m_list(new QListWidget(Frame()))
    , m_add(new CFlatButton(QStringLiteral("&Add"), Frame()))
    , m_edit(new CFlatButton(QStringLiteral("&Edit"), Frame()))
    , m_delete(new CFlatButton(QStringLiteral("&Delete"), Frame()))
    , m_ok(new CFlatButton(QStringLiteral("&OK"), Frame()))
    , m_cancel(new CFlatButton(QStringLiteral("&Cancel"), Frame()))
{
    SetDlgCtrlID(m_list, kListId);
    SetDlgCtrlID(m_add, kAddId);
    SetDlgCtrlID(m_edit, kEditId);
    SetDlgCtrlID(m_delete, kDeleteId);
    SetDlgCtrlID(m_ok, IDOK);
    SetDlgCtrlID(m_cancel, IDCANCEL);
    setWindowTitle(QStringLiteral("Address Formats"));
    Caption()->setText(QStringLiteral("Address Formats"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(DialogUnitsToPixelsX(this, kListWidth), DialogUnitsToPixelsY(this, kListHeight));
    m_ok->setDefault(true);

    auto* side = new QVBoxLayout;
    side->addWidget(m_add);
    side->addWidget(m_edit);
    side->addWidget(m_delete);
    side->addStretch(1);
    side->addWidget(m_ok);
    side->addWidget(m_cancel);
    auto* layout = new QHBoxLayout(Frame());
    layout->addWidget(m_list, 1);
    layout->addLayout(side);

    connect(m_add, &QPushButton::clicked, this, &CDialogAddressFormats::OnAdd);
    connect(m_edit, &QPushButton::clicked, this, &CDialogAddressFormats::OnEdit);
    connect(m_delete, &QPushButton::clicked, this, &CDialogAddressFormats::OnDelete);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CDialogAddressFormats::UpdateButtons);
    EnableContextHelp(this, {{kListId, 1200}, {kAddId, 1201}, {kEditId, 1202}, {kDeleteId, 1203}});
}

bool CDialogAddressFormats::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    m_formats = m_userMan.m_addressFormats;
    m_origins.clear();
    m_list->clear();
    for (size_t i = 0; i < m_formats.GetSize(); ++i) {
        m_origins.push_back(int(i));
        m_list->addItem(NameOf(m_formats[i]));
    }
    // An index the list does not have (a stale setting) selects nothing.
    if (m_nSelected >= 0 && m_nSelected < m_list->count())
        m_list->setCurrentRow(m_nSelected);
    UpdateButtons();
    m_list->setFocus();
    return true;
}

int CDialogAddressFormats::SelectedIndex() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return -1;
    const int row = m_list->row(selected.front());
    return row >= 0 && size_t(row) < m_formats.GetSize() ? row : -1;
}

bool CDialogAddressFormats::CanDelete() const
{
    const int index = SelectedIndex();
    return m_list->count() >= 2 && index >= 0 && !m_formats[size_t(index)].IsBuiltIn();
}

void CDialogAddressFormats::UpdateButtons()
{
    m_edit->setEnabled(SelectedIndex() >= 0);
    m_delete->setEnabled(CanDelete());
}

void CDialogAddressFormats::OnAdd()
{
    CDialogAddressFormat editor(this);
    if (editor.DoModal() != IDOK)
        return;
    AddressFormat format;
    format.SetName(editor.m_strName);
    format.SetFormat(editor.m_strFormat);
    m_formats.Add(format);
    m_origins.push_back(-1);
    m_list->addItem(NameOf(format));
    UpdateButtons();
}

void CDialogAddressFormats::OnEdit()
{
    const int index = SelectedIndex();
    if (index < 0)
        return;
    AddressFormat& format = m_formats.ElementAt(size_t(index));
    if (format.IsBuiltIn() && MsgQuestion(IDS_EDIT_BUILTIN_FORMAT, this, MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    CDialogAddressFormat editor(this);
    editor.m_strName = format.Name();
    editor.m_strFormat = format.Format();
    editor.m_nPreset = index;
    if (editor.DoModal() != IDOK)
        return;
    // A change of letter case alone is no change.
    if (EqualsIgnoringCase(editor.m_strName, format.Name())
        && EqualsIgnoringCase(editor.m_strFormat, format.Format()))
        return;
    format.SetName(editor.m_strName);
    format.SetFormat(editor.m_strFormat);
    m_list->item(index)->setText(NameOf(format));
}

void CDialogAddressFormats::OnDelete()
{
    if (!CanDelete())
        return;
    const int index = SelectedIndex();
    delete m_list->takeItem(index);
    m_formats.RemoveAt(size_t(index));
    m_origins.erase(m_origins.begin() + index);
    UpdateButtons();
}

void CDialogAddressFormats::OnOK()
{
    const int index = SelectedIndex();
    if (index < 0)
        return;
    m_userMan.ReplaceAddressFormats(m_formats, m_origins);
    m_nSelected = index;
    m_userMan.Save();
    EndDialog(IDOK);
}
