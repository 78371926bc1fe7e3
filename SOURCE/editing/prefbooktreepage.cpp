#include "core/userman.h"
#include "editing/prefpages.h"
#include "editing/prefutil.h"
#include "platform/ui/window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr u32 kConfirmBookDelete = 0x1;
constexpr u32 kStartAtRoot = 1;
constexpr u32 kStartAtLast = 2;

}  // namespace

CPrefBookTreePage::CPrefBookTreePage(PrefContext& context, QWidget* host)
    : CDialogPage(host)
    , m_context(context)
    , m_font(PageFont(context.userMan, UFK_BOOKTREE))
    , m_text(context.userMan.m_crTreeText)
    , m_back(context.userMan.m_crTreeBack)
{
    Caption()->setText(tr("Book tree settings"));
    SetFocusRange(1108, 1108);
    const UserMan& user = context.userMan;
    auto* column = new QVBoxLayout(Body());
    m_confirm = AddCheck(column, 1108, "&Ask for confirmation before deleting book");
    m_confirm->setChecked(user.m_dwTreeFlags & kConfirmBookDelete);
    column->addWidget(new QLabel(tr("When starting, go directly to:")));
    m_root = AddRadio(column, 1502, "Root book");
    m_last = AddRadio(column, 1503, "Last opened book");
    (user.m_dwTreeState == kStartAtLast ? m_last : m_root)->setChecked(true);

    auto* buttons = new QHBoxLayout;
    column->addLayout(buttons);
    connect(AddButton(buttons, 1161, "Book&tree font"), &QPushButton::clicked, this,
        &CPrefBookTreePage::OnChooseFont);
    connect(AddButton(buttons, 1163, "Back&ground color"), &QPushButton::clicked, this,
        &CPrefBookTreePage::OnChooseBackground);
    buttons->addStretch(1);
    m_preview = new QLabel;
    SetDlgCtrlID(m_preview, 1501);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_preview->setMinimumHeight(fontMetrics().height() * 2);
    column->addWidget(m_preview);
    column->addStretch(1);
    ShowPreview();
}

void CPrefBookTreePage::ShowPreview()
{
    ShowFontSample(m_preview, m_font, m_text, m_back, true);
}

void CPrefBookTreePage::OnChooseFont()
{
    if (!PrefChoosers().font(this, m_font, m_text))
        return;
    m_bChanged = true;
    ShowPreview();
}

void CPrefBookTreePage::OnChooseBackground()
{
    if (!PrefChoosers().colour(this, m_back))
        return;
    m_bChanged = true;
    ShowPreview();
}

void CPrefBookTreePage::Store()
{
    UserMan& user = m_context.userMan;
    if (m_confirm->isChecked())
        user.m_dwTreeFlags |= kConfirmBookDelete;
    else
        user.m_dwTreeFlags &= ~kConfirmBookDelete;
    user.m_dwTreeState = m_last->isChecked() ? kStartAtLast : kStartAtRoot;
    user.SetFont(UFK_BOOKTREE, m_font);
    user.m_crTreeText = m_text;
    user.m_crTreeBack = m_back;
}
