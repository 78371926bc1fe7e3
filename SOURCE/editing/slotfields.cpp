#include "editing/slotfields.h"

#include "controls/menubutton.h"
#include "core/utilities.h"
#include "platform/ui/menu.h"
#include "platform/ui/window.h"

#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>

namespace {

constexpr int kTypeIcon = 421;
constexpr int kTypeIconSize = 16;

// Numbers and addresses read as links: blue, or a light blue where the
// edit's background is dark.
void ShowAsLink(QLineEdit* edit)
{
    const bool dark = edit->palette().color(QPalette::Base).lightness() < 128;
    const QColor colour = dark ? QColor(0x8A, 0xB4, 0xF8) : QColor(0, 0, 255);
    if (edit->palette().color(QPalette::Text) != colour) {
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, colour);
        edit->setPalette(palette);
    }
}

}  // namespace

CSlotFields::CSlotFields(QObject* parent)
    : QObject(parent)
{
}

void CSlotFields::Add(QWidget* parent, const ContactSlot& slot, int buttonId, int editId)
{
    auto* button = new CMenuButton(parent);
    auto* edit = new QLineEdit(parent);
    SetDlgCtrlID(button, buttonId);
    SetDlgCtrlID(edit, editId);
    button->SetIcon(kTypeIcon, kTypeIcon, kTypeIconSize, kTypeIconSize);
    // Wide enough for every type the menu offers, beside the drop-down cue.
    int widest = 0;
    for (const ContactTypeEntry& entry : slot.table)
        widest = std::max(widest,
            button->fontMetrics().horizontalAdvance(QString::fromStdString(LoadResString(entry.captionId))));
    button->setMinimumWidth(widest + kTypeIconSize + 3 * button->fontMetrics().averageCharWidth());
    ShowAsLink(edit);
    edit->installEventFilter(this);
    QFont font = edit->font();
    font.setUnderline(true);
    edit->setFont(font);
    m_fields.push_back({slot, button, edit});
    ShowCaption(m_fields.back());
    const int index = int(m_fields.size()) - 1;
    // Only what the user types goes into the contact: texts the program
    // puts into the edits never write back.
    connect(
        edit, &QLineEdit::textEdited, this, [this, index](const QString& text) { OnEdited(index, text); });
}

bool CSlotFields::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        ShowAsLink(static_cast<QLineEdit*>(watched));
    return QObject::eventFilter(watched, event);
}

void CSlotFields::ShowCaption(Field& field)
{
    field.button->setText(QString::fromStdString(SlotTypeCaption(field.slot, field.slot.type)));
}

void CSlotFields::Load(Contact* contact)
{
    m_contact = contact;
    for (Field& f : m_fields) {
        f.edit->setText(contact ? QString::fromStdString(LoadSlot(*contact, f.slot)) : QString());
        // A value wider than its field shows its beginning, as it is read.
        f.edit->setCursorPosition(0);
        ShowCaption(f);
    }
}

bool CSlotFields::FillMenu(int buttonId, QMenu* menu)
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const Field& f = m_fields[i];
        if (GetDlgCtrlID(f.button) != buttonId)
            continue;
        const u32 command = f.slot.list == SlotList::Phones ? ID_DROPMENU_PHONE_TYPE : ID_DROPMENU_EMAIL_TYPE;
        m_menuPick = -1;
        for (const ContactTypeEntry& e : f.slot.table) {
            QAction* item = AppendMenuItem(menu, command, QString::fromStdString(LoadResString(e.captionId)));
            const int position = int(menu->actions().size()) - 1;
            connect(item, &QAction::triggered, this, [this, position] { m_menuPick = position; });
            item->setCheckable(true);
            item->setChecked(m_contact && HasTypedValue(*m_contact, f.slot.list, e.type));
            if (e.type == f.slot.type)
                menu->setDefaultAction(item);
        }
        m_menuField = int(i);
        return true;
    }
    return false;
}

void CSlotFields::PickType()
{
    const int position = m_menuPick;
    m_menuPick = -1;
    if (m_menuField < 0)
        return;
    const auto& table = m_fields[size_t(m_menuField)].slot.table;
    if (position >= 0 && size_t(position) < table.size())
        PickTypeFor(m_menuField, table[size_t(position)].type);
}

void CSlotFields::PickTypeFor(int index, u32 type)
{
    Field& f = m_fields[size_t(index)];
    if (!m_contact)
        return;
    const std::string text = PickSlotType(*m_contact, f.slot, type);
    ShowCaption(f);
    f.edit->setText(QString::fromStdString(text));
    f.edit->setCursorPosition(0);
}

void CSlotFields::OnEdited(int index, const QString& text)
{
    if (!m_contact)
        return;
    const std::string value = text.toStdString();
    const Field& typed = m_fields[size_t(index)];
    SetSlotText(*m_contact, typed.slot, value);
    if (typed.slot.list != SlotList::Phones)
        return;
    // Phone fields showing the same type show the same number.
    for (size_t i = 0; i < m_fields.size(); ++i) {
        Field& f = m_fields[i];
        if (int(i) == index || f.slot.list != SlotList::Phones || f.slot.type != typed.slot.type)
            continue;
        SetSlotText(*m_contact, f.slot, value);
        f.edit->setText(text);
    }
}
