#include "controls/listpreview.h"
#include "core/userman.h"
#include "editing/prefpages.h"
#include "editing/prefutil.h"
#include "platform/ui/window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr u32 kConfirmDelete = 0x1;
constexpr u32 kDeleteForGood = 0x2;
constexpr u32 kActionByColumn = 0x4;
constexpr u32 kGridLines = 0x8;
constexpr u32 kSimpleDialog = 0x20;
constexpr u32 kStoredListFlags
    = kConfirmDelete | kDeleteForGood | kActionByColumn | kGridLines | kSimpleDialog;

QComboBox* AddCombo(QFormLayout* form, int id, const char* label, const QStringList& items, u32 index)
{
    auto* combo = new QComboBox;
    SetDlgCtrlID(combo, id);
    combo->addItems(items);
    combo->setCurrentIndex(index < u32(items.size()) ? int(index) : 0);
    auto* caption = new QLabel(QString::fromUtf8(label));
    caption->setBuddy(combo);
    form->addRow(caption, combo);
    return combo;
}

}  // namespace

CPrefContListPage::CPrefContListPage(PrefContext& context, QWidget* host)
    : CDialogPage(host)
    , m_context(context)
    , m_listFont(PageFont(context.userMan, UFK_LIST))
    , m_headerFont(PageFont(context.userMan, UFK_HEADER))
    , m_listText(context.userMan.m_crListText)
    , m_headerText(context.userMan.m_crHeaderText)
    , m_gridColour(context.userMan.m_gridPen.lopnColor)
    , m_background(context.userMan.m_crListBack)
{
    Caption()->setText(tr("Contact list settings"));
    SetFocusRange(1103, 1143);
    const UserMan& user = context.userMan;
    auto* column = new QVBoxLayout(Body());
    const auto flag = [this, &user](QBoxLayout* layout, int id, const char* text, u32 bit) {
        QCheckBox* box = AddCheck(layout, id, text);
        box->setChecked(user.m_dwListFlags & bit);
        m_flagBoxes.emplace_back(box, bit);
    };
    flag(column, 1103, "&Ask for confirmation before deleting contact", kConfirmDelete);
    flag(column, 1134, "&Don't use recycle bin - delete information permanently", kDeleteForGood);
    column->addWidget(new QLabel(tr("On double-click:")));
    m_properties = AddRadio(column, 1137, "show &properties for selected contact");
    m_action = AddRadio(column, 1139, "perform action, depending on column");
    (user.m_dwListFlags & kActionByColumn ? m_action : m_properties)->setChecked(true);
    flag(column, 1104, "Display &simple properties dialog", kSimpleDialog);

    AddBoldLabel(column, 1141, "Contact list appearance");
    auto* form = new QFormLayout;
    column->addLayout(form);
    m_gridLines = AddCombo(form, 1363, "G&rid lines:",
        {tr("Solid"), tr("Dash"), tr("Small dot"), tr("Dash-dot"), tr("Dash-dot-dot"), tr("No grid lines")},
        user.m_dwListFlags & kGridLines ? user.m_gridPen.lopnStyle : CListPreviewStatic::kNoLines);
    // The grid sorts the name column by the first name, the last name or
    // the name as shown; the alphabet filter reads the first name, the
    // last name or the company.
    m_nameSort
        = AddCombo(form, 1539, "Name &column sorts:", {tr("First name"), tr("Last name"), tr("Display name")},
            user.m_dwNameColumnFlags);
    m_filter = AddCombo(form, 1538,
        "Alphabet &filters by:", {tr("by First name"), tr("by Last name"), tr("by Company")},
        user.m_dwFilterFlags);

    auto* buttons = new QGridLayout;
    column->addLayout(buttons);
    const auto button = [buttons](int id, const char* text, int row, int col) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        SetDlgCtrlID(b, id);
        buttons->addWidget(b, row, col);
        return b;
    };
    connect(button(1131, "&List font", 0, 0), &QPushButton::clicked, this, [this] { OnChooseFont(false); });
    connect(button(1132, "&Header font", 0, 1), &QPushButton::clicked, this, [this] { OnChooseFont(true); });
    connect(
        button(1142, "&Grid color", 1, 0), &QPushButton::clicked, this, [this] { OnChooseColour(false); });
    connect(button(1143, "Backgr&ound", 1, 1), &QPushButton::clicked, this, [this] { OnChooseColour(true); });
    connect(m_gridLines, &QComboBox::currentIndexChanged, this, &CPrefContListPage::ShowPreview);

    m_preview = new CListPreviewStatic;
    SetDlgCtrlID(m_preview, 1162);
    m_preview->setMinimumHeight(fontMetrics().height() * 4);
    column->addWidget(m_preview, 1);
    ShowPreview();
}

void CPrefContListPage::ShowPreview()
{
    m_preview->SetSample(m_headerFont, m_listFont, m_gridLines->currentIndex(), m_gridColour, m_background,
        m_headerText, m_listText);
    m_preview->update();
}

void CPrefContListPage::OnChooseFont(bool header)
{
    if (PrefChoosers().font(this, header ? m_headerFont : m_listFont, header ? m_headerText : m_listText))
        ShowPreview();
}

void CPrefContListPage::OnChooseColour(bool background)
{
    if (PrefChoosers().colour(this, background ? m_background : m_gridColour))
        ShowPreview();
}

void CPrefContListPage::Store()
{
    UserMan& user = m_context.userMan;
    u32 flags = user.m_dwListFlags & ~kStoredListFlags;
    for (const auto& [box, bit] : m_flagBoxes) {
        if (box->isChecked())
            flags |= bit;
    }
    if (m_action->isChecked())
        flags |= kActionByColumn;
    const int style = m_gridLines->currentIndex();
    if (style != CListPreviewStatic::kNoLines)
        flags |= kGridLines;
    user.m_dwListFlags = flags;
    user.m_gridPen.lopnStyle = u32(style);
    user.m_gridPen.lopnWidth = {0, 0};
    user.m_gridPen.lopnColor = m_gridColour;
    user.m_dwNameColumnFlags = u32(m_nameSort->currentIndex());
    user.m_dwFilterFlags = u32(m_filter->currentIndex());
    user.SetFont(UFK_LIST, m_listFont);
    user.SetFont(UFK_HEADER, m_headerFont);
    user.m_crListText = m_listText;
    user.m_crHeaderText = m_headerText;
    user.m_crListBack = m_background;
}
