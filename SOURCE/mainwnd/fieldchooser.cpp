#include "mainwnd/fieldchooser.h"

#include "controls/contexthelp.h"
#include "controls/flatbutton.h"
#include "controls/flatdraw.h"
#include "controls/gradientcaption.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "mainwnd/dragwnd.h"
#include "mainwnd/gridcolumns.h"
#include "mainwnd/rgridctrl.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

constexpr int kTitleLimit = 256;
constexpr int kTextIndent = 4;
constexpr int kExtraItemHeight = 4;
constexpr int kChooserCaptionPoints = 8;
constexpr int kChooseFieldsCaptionPoints = 9;

// Fields drawn as raised buttons; the selected one dark.
class FieldItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(option.fontMetrics.height() + 2 + kExtraItemHeight);
        return size;
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QWidget* list = option.widget;
        const QRect r = option.rect;
        QColor text;
        if (option.state & QStyle::State_Selected) {
            p->fillRect(r, GetSysColor(COLOR_3DDKSHADOW, list));
            text = LegibleOn(
                GetSysColor(COLOR_3DHILIGHT, list), GetSysColor(COLOR_3DDKSHADOW, list), option.palette);
            if (list && list->hasFocus()) {
                p->setPen(QPen(text, 1, Qt::DotLine));
                p->drawRect(r.adjusted(1, 1, -2, -2));
            }
        } else {
            p->fillRect(r, GetSysColor(COLOR_3DFACE, list));
            Draw3dRect(*p, r, GetSysColor(COLOR_3DHILIGHT, list), GetSysColor(COLOR_3DSHADOW, list));
            text = GetSysColor(COLOR_BTNTEXT, list);
        }
        const QRect textRect = r.adjusted(kTextIndent, 0, -kTextIndent, 0);
        p->setPen(text);
        p->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, textRect.width()));
    }
};

}  // namespace

// ---- the list ----------------------------------------------------------------

CFieldListBox::CFieldListBox(CRGridCtrl* grid, QWidget* parent)
    : QListWidget(parent)
    , m_grid(grid)
{
    SetDlgCtrlID(this, kId);
    setItemDelegate(new FieldItemDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setDragEnabled(false);
}

CFieldListBox::~CFieldListBox()
{
    CancelDrag();
}

void CFieldListBox::Fill(int mask)
{
    if (mask != -1)
        m_mask = u32(mask);
    setUpdatesEnabled(false);
    clear();
    for (int id = 0; id < kGridColumnCount; ++id) {
        const GridColumnInfo* column = GetGridColumn(id);
        if (!FieldInGroups(u32(column->m_nFieldId), m_mask) || (m_grid && m_grid->IsColumnShown(id)))
            continue;
        auto* item = new QListWidgetItem(
            QString::fromStdString(LoadResString(u32(column->m_nFieldId))).left(kTitleLimit));
        item->setData(Qt::UserRole, id);
        addItem(item);
    }
    setUpdatesEnabled(true);
}

std::vector<int> CFieldListBox::Columns() const
{
    std::vector<int> columns;
    for (int i = 0; i < count(); ++i)
        columns.push_back(item(i)->data(Qt::UserRole).toInt());
    return columns;
}

void CFieldListBox::paintEvent(QPaintEvent* event)
{
    // Below the last item the list shows the window colour.
    {
        QPainter p(viewport());
        p.fillRect(viewport()->rect(), GetSysColor(COLOR_WINDOW, this));
    }
    QListWidget::paintEvent(event);
}

bool CFieldListBox::BeginDrag(QPoint globalPos)
{
    if (count() == 0 || !m_grid)
        return false;
    QListWidgetItem* under = itemAt(viewport()->mapFromGlobal(globalPos));
    if (!under)
        return false;
    m_nDragIndex = row(under);
    m_nDragColumn = under->data(Qt::UserRole).toInt();
    m_nInsertPos = -1;
    m_bMoved = false;
    HeaderItem description;
    description.format = HDF_STRING;
    description.text = under->text().left(128);
    description.data = u32(m_nDragColumn);
    description.width = viewport()->width();
    auto* wnd = new CDragWnd;
    wnd->Create(QRect(globalPos, QSize(viewport()->width(), visualItemRect(under).height())),
        m_grid->Header(), -1, description);
    m_dragWnd = wnd;
    return true;
}

void CFieldListBox::Dragging(QPoint globalPos)
{
    if (!IsDragging())
        return;
    m_bMoved = true;
    if (m_dragWnd)
        m_dragWnd->CentreOn(globalPos);
    CFlatHeaderCtrl* header = m_grid ? m_grid->Header() : nullptr;
    if (!header)
        return;
    // Back over the list, the field goes nowhere.
    if (rect().contains(mapFromGlobal(globalPos))) {
        m_nInsertPos = header->SetHotDivider(-1);
        setCursor(Qt::ArrowCursor);
        return;
    }
    m_nInsertPos = header->SetHotDividerAt(globalPos);
    setCursor(m_nInsertPos >= 0 ? Qt::ArrowCursor : Qt::ForbiddenCursor);
}

void CFieldListBox::EndDrag()
{
    if (m_grid && m_grid->Header())
        m_grid->Header()->SetHotDivider(-1);
    if (m_dragWnd)
        m_dragWnd->close();
    m_dragWnd = nullptr;
    m_nDragIndex = -1;
    unsetCursor();
}

void CFieldListBox::CancelDrag()
{
    EndDrag();
    m_nInsertPos = -1;
}

void CFieldListBox::Dropped(QPoint globalPos)
{
    if (!IsDragging())
        return;
    if (m_bMoved)
        Dragging(globalPos);
    const int column = m_nDragColumn;
    const int position = m_nInsertPos;
    EndDrag();
    m_nInsertPos = -1;
    // Only a drop on the header inserts the field and takes it off the list.
    // (The grid refills this list when the column is inserted.)
    if (position >= 0 && m_grid)
        m_grid->InsertColumn(column, position);
}

void CFieldListBox::mousePressEvent(QMouseEvent* event)
{
    QListWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        BeginDrag(event->globalPosition().toPoint());
}

void CFieldListBox::mouseMoveEvent(QMouseEvent* event)
{
    if (IsDragging())
        Dragging(event->globalPosition().toPoint());
    else
        QListWidget::mouseMoveEvent(event);
}

void CFieldListBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (IsDragging() && event->button() == Qt::LeftButton)
        Dropped(event->globalPosition().toPoint());
    QListWidget::mouseReleaseEvent(event);
}

void CFieldListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && IsDragging()) {
        CancelDrag();
        return;
    }
    QListWidget::keyPressEvent(event);
}

// ---- the tool window -----------------------------------------------------------

CFieldChooserDlg::CFieldChooserDlg(CRGridCtrl* grid)
    : QDialog(grid ? grid->window() : nullptr, Qt::Tool)
    , m_grid(grid)
    , m_caption(new CGradientCaption(this))
    , m_groups(new QComboBox(this))
    , m_list(new CFieldListBox(grid, this))
    , m_restore(new CFlatButton(QStringLiteral("&Restore defaults"), this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FieldChooser"));
    setWindowTitle(QStringLiteral("Field chooser"));
    SetDlgCtrlID(m_caption, kCaptionId);
    SetDlgCtrlID(m_groups, kGroupComboId);
    SetDlgCtrlID(m_restore, kRestoreId);

    m_caption->setText(QStringLiteral("&Choose group of fields"));
    m_caption->setBuddy(m_groups);
    m_caption->SetColors(COLOR_3DSHADOW, COLOR_3DSHADOW, COLOR_3DSHADOW, 0, false, 256);
    m_caption->SetFont(COLOR_3DHILIGHT, kCaptionFormat, kChooserCaptionPoints, true, false);
    for (const FieldGroup& group : FieldGroups())
        m_groups->addItem(QString::fromLatin1(group.text), group.mask);
    m_groups->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    const int margin = DialogUnitsToPixelsX(this, 4);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(m_caption);
    layout->addWidget(m_groups);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_restore);
    setTabOrder(m_groups, m_list);
    setTabOrder(m_list, m_restore);
    resize(DialogUnitsToPixelsX(this, 120), DialogUnitsToPixelsY(this, 180));

    connect(m_groups, &QComboBox::currentIndexChanged, this, &CFieldChooserDlg::OnGroupChanged);
    connect(m_restore, &QPushButton::clicked, this, &CFieldChooserDlg::OnRestoreDefaults);
    m_list->Fill(int(FieldGroups()[0].mask));
    EnableContextHelp(this, {{CFieldListBox::kId, 1210}, {kGroupComboId, 1211}, {kRestoreId, 1212}});
}

CFieldChooserDlg::~CFieldChooserDlg()
{
    if (m_grid && m_grid->GetFieldChooser() == this)
        m_grid->SetFieldChooser(nullptr);
}

void CFieldChooserDlg::OnGroupChanged(int index)
{
    if (index < 0 || index >= kFieldGroupCount)
        index = 0;
    m_list->Fill(int(FieldGroups()[size_t(index)].mask));
}

void CFieldChooserDlg::OnRestoreDefaults()
{
    // The rows follow the arrow of the default layout.
    if (m_grid) {
        m_grid->SetDefaultLayout();
        m_grid->Sort(m_grid->GetSortColumn(), m_grid->GetSortDirection());
    }
}

// ---- quick-find fields ------------------------------------------------------------

CDialogChooseFields::CDialogChooseFields(UserMan& userMan, QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_userMan(userMan)
    , m_list(new QListWidget(Frame()))
{
    setWindowTitle(QStringLiteral("Choose fields"));
    Caption()->setText(QStringLiteral("Choose contact fields to search in"));
    SetDlgCtrlID(m_list, kListId);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Frame());
    auto* layout = new QVBoxLayout(Frame());
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_captionPointSize = kChooseFieldsCaptionPoints;
    m_captionBold = true;

    for (int bit = 0; bit < kFindFieldCount; ++bit) {
        const u32 field = FindFlagField(bit);
        auto* item = new QListWidgetItem(
            field ? QString::fromStdString(LoadResString(field)) : QString::fromLatin1(kFindAllNamesText),
            m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState((m_userMan.m_dwFindFlags >> bit) & 1 ? Qt::Checked : Qt::Unchecked);
    }
    m_list->setCurrentRow(0);
    const int rows = m_list->sizeHintForRow(0) * (kFindFieldCount + 1);
    m_list->setMinimumHeight(rows);
    EnableContextHelp(this, {{kListId, 1213}});
}

bool CDialogChooseFields::OnInitDialog()
{
    return CFramedDialog::OnInitDialog();
}

void CDialogChooseFields::OnOK()
{
    u32 flags = m_userMan.m_dwFindFlags & ~((1u << kFindFieldCount) - 1);
    for (int bit = 0; bit < kFindFieldCount; ++bit) {
        if (m_list->item(bit)->checkState() == Qt::Checked)
            flags |= 1u << bit;
    }
    m_userMan.m_dwFindFlags = flags;
    EndDialog(IDOK);
}
