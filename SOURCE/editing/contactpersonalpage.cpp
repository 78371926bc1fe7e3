#include "editing/contactpersonalpage.h"

#include "editing/contactpropsdlg.h"
#include "editing/contactwrite.h"
#include "editing/datefield.h"
#include "platform/ui/window.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CContactPersonalPage::CContactPersonalPage(CDialogContactProps* host)
    : CContactPage(host, 1352, QT_TR_NOOP("Enter personal information about this contact here"),
        {{1309, 1137}, {1268, 1138}, {1267, 1139}, {1266, 1140}, {1292, 1141}, {1293, 1142}, {1061, 1143},
            {1057, 1144}, {0, 0}})
    , m_children(new QListWidget(Body()))
    , m_add(new QPushButton(tr("&Add"), Body()))
    , m_edit(new QPushButton(tr("&Edit"), Body()))
    , m_remove(new QPushButton(tr("&Remove"), Body()))
    , m_spouse(new QLineEdit(Body()))
    , m_birthday(new CDateField(Body()))
    , m_anniversary(new CDateField(Body()))
    , m_notes(new QPlainTextEdit(Body()))
{
    SetDlgCtrlID(m_children, 1309);
    SetDlgCtrlID(m_add, 1268);
    SetDlgCtrlID(m_edit, 1267);
    SetDlgCtrlID(m_remove, 1266);
    SetDlgCtrlID(m_spouse, 1057);
    SetDlgCtrlID(m_anniversary, 1292);
    SetDlgCtrlID(m_birthday, 1293);
    SetDlgCtrlID(m_notes, 1061);
    m_children->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_notes->setTabChangesFocus(true);

    QGridLayout* grid = Grid();
    AddLabel(tr("&Children:"), m_children, 0, 0, Qt::AlignTop);
    grid->addWidget(m_children, 0, 1, 4, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_edit);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 2, 4, 1);
    AddLabel(tr("S&pouse:"), m_spouse, 4, 0);
    grid->addWidget(m_spouse, 4, 1, 1, 2);
    AddLabel(tr("&Birthday:"), m_birthday->Edit(), 5, 0);
    grid->addWidget(m_birthday, 5, 1);
    AddLabel(tr("Anni&versary:"), m_anniversary->Edit(), 6, 0);
    grid->addWidget(m_anniversary, 6, 1);
    AddLabel(tr("&Notes:"), m_notes, 7, 0, Qt::AlignTop);
    grid->addWidget(m_notes, 7, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(7, 1);

    QWidget* order[] = {m_children, m_add, m_edit, m_remove, m_spouse, m_birthday->Check(),
        m_birthday->Edit(), m_anniversary->Check(), m_anniversary->Edit(), m_notes};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_add, &QPushButton::clicked, this, &CContactPersonalPage::OnAdd);
    connect(m_edit, &QPushButton::clicked, this, &CContactPersonalPage::OnEdit);
    connect(m_remove, &QPushButton::clicked, this, &CContactPersonalPage::OnRemove);
    connect(m_children, &QListWidget::itemSelectionChanged, this, &CContactPersonalPage::UpdateControls);
    connect(m_children->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
        [this](QWidget* editor, QAbstractItemDelegate::EndEditHint hint) { OnEditEnded(editor, int(hint)); });
    UpdateControls();
}

QStringList CContactPersonalPage::SplitChildren(const std::string& text)
{
    QStringList children = QString::fromStdString(text).split(QLatin1Char('\n'));
    // The text after the last line feed is empty for a text stored here;
    // an imported text without a final line feed keeps its last name.
    if (!children.isEmpty() && children.back().isEmpty())
        children.pop_back();
    for (QString& child : children)
        if (child.endsWith(QLatin1Char('\r')))
            child.chop(1);
    return children;
}

std::string CContactPersonalPage::JoinChildren(const QStringList& children)
{
    std::string text;
    for (const QString& child : children)
        text += child.toStdString() + '\n';
    return text;
}

void CContactPersonalPage::LoadFrom(Contact& contact)
{
    m_loadedChildren = SplitChildren(contact.m_strChildren);
    m_children->clear();
    for (const QString& child : m_loadedChildren) {
        auto* item = new QListWidgetItem(child, m_children);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    m_notes->setPlainText(QString::fromStdString(contact.m_strNotes));
    m_spouse->setText(QString::fromStdString(contact.m_strSpouse));
    m_birthday->SetValue(contact.m_dtBirthday);
    m_anniversary->SetValue(contact.m_dtAnniversary);
    UpdateControls();
}

QStringList CContactPersonalPage::Children() const
{
    QStringList children;
    for (int i = 0; i < m_children->count(); ++i)
        children.push_back(m_children->item(i)->text());
    return children;
}

void CContactPersonalPage::StoreInto(Contact& contact) const
{
    const QStringList children = Children();
    if (children != m_loadedChildren)
        contact.m_strChildren = JoinChildren(children);
    contact.m_dtBirthday = m_birthday->Value();
    contact.m_dtAnniversary = m_anniversary->Value();
    StoreText(contact.m_strNotes, m_notes->toPlainText().toStdString());
    contact.m_strSpouse = m_spouse->text().toStdString();
}

void CContactPersonalPage::OnAdd()
{
    auto* item = new QListWidgetItem;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_children->insertItem(0, item);
    m_bNewPending = true;
    m_children->setCurrentItem(item);
    m_children->setFocus();
    m_children->editItem(item);
}

void CContactPersonalPage::OnEdit()
{
    const QList<QListWidgetItem*> selected = m_children->selectedItems();
    if (!selected.isEmpty()) {
        m_children->setFocus();
        m_children->editItem(selected.front());
    }
}

void CContactPersonalPage::OnRemove()
{
    for (int row = 0; row < m_children->count(); ++row) {
        if (m_children->item(row)->isSelected()) {
            delete m_children->takeItem(row);
            break;
        }
    }
    UpdateControls();
}

void CContactPersonalPage::OnEditEnded(QWidget*, int hint)
{
    if (m_bNewPending && m_children->count() > 0) {
        // A new child left without a name is no child.
        QListWidgetItem* item = m_children->item(0);
        if (hint == QAbstractItemDelegate::RevertModelCache || item->text().trimmed().isEmpty())
            delete m_children->takeItem(0);
    }
    m_bNewPending = false;
    UpdateControls();
}

void CContactPersonalPage::UpdateControls()
{
    const bool selected = !m_children->selectedItems().isEmpty();
    m_edit->setEnabled(selected);
    m_remove->setEnabled(selected);
}

void CContactPersonalPage::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QWidget* focus = QApplication::focusWidget();
    if (enter && focus && (m_birthday->isAncestorOf(focus) || m_anniversary->isAncestorOf(focus)))
        return;
    CContactPage::keyPressEvent(event);
}
