#include "mainwnd/maintoolbar.h"

#include "controls/iconmenu.h"
#include "mainwnd/commands.h"
#include "platform/profile.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/syscolor.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kSection = "UserMan\\MainToolbar";
constexpr const char* kDataEntry = "Data";
constexpr u32 kLayoutMagic = 0x544C4231;  // "TLB1"

constexpr ToolbarButtonInfo kButtons[] = {
    {0, ID_CONTACT_NEW, false, "New cont."},
    {1, ID_CONTACT_PROPERTIES, false, "Propert."},
    {3, ID_CONTACT_DELETE, false, "Delete"},
    {4, ID_FIND_CONTACT, false, "Find"},
    {5, ID_CONTACT_SENDMAIL, true, "Send mail"},
    {6, ID_CONTACT_DIAL, true, "Dial"},
    {7, ID_ALPHABET_NEXT, true, "Alphabet"},
    {8, ID_CALLLOG_SHOW_CONTACT, false, "View log"},
    {9, ID_PRINT, false, "Print"},
    {11, ID_PREFERENCES, false, "Prefer."},
    {12, ID_APP_ABOUT, false, "About..."},
    {13, ID_SPEED_DIAL, false, "Speed dial"},
    {14, ID_MANUAL_DIAL, false, "Manual dial"},
};

// The toolbar's 22 x 22 images are the menu images of the same commands,
// centred: image index to menu image.
constexpr int kMenuImageOf[] = {1, 2, 3, 4, 28, 15, 9, 17, 25, 6, 7, 16, 23, 29, 31};

const ImageList& ToolbarImages(bool hot)
{
    static ImageList normal, hotList;
    if (normal.Count() == 0) {
        if (CIconMenu::NormalImages().Count() == 0)
            CIconMenu::LoadImageLists();
        for (ImageList* list : {&normal, &hotList}) {
            const ImageList& source = list == &normal ? CIconMenu::NormalImages() : CIconMenu::HotImages();
            QImage strip(CMainToolbar::kImageSize * int(std::size(kMenuImageOf)), CMainToolbar::kImageSize,
                QImage::Format_ARGB32);
            strip.fill(QColor(255, 0, 255));
            QPainter p(&strip);
            const int inset = (CMainToolbar::kImageSize - CIconMenu::kImageSize) / 2;
            for (size_t i = 0; i < std::size(kMenuImageOf); ++i)
                p.drawPixmap(int(i) * CMainToolbar::kImageSize + inset, inset, source.Image(kMenuImageOf[i]));
            p.end();
            *list = ImageList(QSize(CMainToolbar::kImageSize, CMainToolbar::kImageSize));
            list->Add(strip, CIconMenu::kMaskColour);
        }
    }
    return hot ? hotList : normal;
}

// The images were drawn for a light face: dark strokes (a black handset, a
// navy letter) all but vanish on a dark one. There each part of a glyph that
// does not stand out from the face is lightened, its hue kept, until it
// does; what stands out already stays as drawn.
QPixmap ReadableGlyph(const QPixmap& glyph, const QColor& face)
{
    constexpr double kReads = 3.0;
    constexpr int kStep = 4;
    if (glyph.isNull() || face.lightness() >= 128)
        return glyph;
    QImage image = glyph.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            QColor colour = QColor::fromRgb(line[x]);
            float hue = 0;
            float saturation = 0;
            float lightness = 0;
            colour.getHslF(&hue, &saturation, &lightness);
            for (int l = int(lightness * 255); ContrastRatio(colour, face) < kReads && l < 255;) {
                l = std::min(255, l + kStep);
                colour.setHslF(hue, saturation, float(l) / 255);
            }
            line[x] = qRgba(colour.red(), colour.green(), colour.blue(), qAlpha(line[x]));
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace

CToolbarButton::CToolbarButton(const ToolbarButtonInfo& info, QAction* action, QWidget* parent)
    : QToolButton(parent)
    , m_info(info)
    , m_action(action)
{
    setObjectName(QStringLiteral("tb%1").arg(info.command));
    setText(QString::fromUtf8(info.label));
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    if (action) {
        setToolTip(CommandTooltip(info.command));
        setEnabled(action->isEnabled());
        connect(action, &QAction::changed, this, [this] {
            setEnabled(m_action->isEnabled());
            setCheckable(m_action->isCheckable());
            setChecked(m_action->isChecked());
        });
        connect(this, &QToolButton::clicked, action, [this] {
            if (m_action->isEnabled())
                m_action->trigger();
        });
    }
    if (info.dropDown) {
        // The arrow is drawn and measured as a menu button's.
        setPopupMode(QToolButton::MenuButtonPopup);
        setMenu(new QMenu(this));
    }
}

bool CToolbarButton::OnArrow(QPoint pos) const
{
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const QRect arrow
        = style()->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButtonMenu, this);
    return arrow.contains(pos);
}

void CToolbarButton::mousePressEvent(QMouseEvent* event)
{
    if (!m_info.dropDown || event->button() != Qt::LeftButton || !OnArrow(event->position().toPoint())) {
        QToolButton::mousePressEvent(event);
        return;
    }
    event->accept();
    m_menu = dropMenu ? dropMenu(this) : nullptr;
    if (!m_menu)
        return;
    m_menu->exec(mapToGlobal(QPoint(0, height())));
    m_menu.reset();
}

CMainToolbar::CMainToolbar(ActionLookup actions, QWidget* parent)
    : QToolBar(parent)
    , m_actions(std::move(actions))
{
    setObjectName(QStringLiteral("MainToolbar"));
    setMovable(false);
    setFloatable(false);
    setContextMenuPolicy(Qt::PreventContextMenu);
    m_layout = DefaultLayout();
}

std::span<const ToolbarButtonInfo> CMainToolbar::Buttons()
{
    return kButtons;
}

std::vector<int> CMainToolbar::DefaultLayout()
{
    return {0, 1, 2, kSeparator, 3, 4, 5, 6, kSeparator, 9, 8, 10};
}

QIcon CMainToolbar::IconOf(int image) const
{
    const QColor face = GetSysColor(COLOR_3DFACE, this);
    QIcon icon;
    icon.addPixmap(ReadableGlyph(ToolbarImages(false).Image(image), face), QIcon::Normal);
    icon.addPixmap(ReadableGlyph(ToolbarImages(true).Image(image), face), QIcon::Active);
    return icon;
}

void CMainToolbar::changeEvent(QEvent* event)
{
    QToolBar::changeEvent(event);
    // The glyphs follow the desktop's colours.
    if (event->type() == QEvent::PaletteChange && m_nMode != TBMODE_TEXT) {
        for (CToolbarButton* button : findChildren<CToolbarButton*>(Qt::FindDirectChildrenOnly))
            button->setIcon(IconOf(button->Info().image));
    }
}

CToolbarButton* CMainToolbar::ButtonOf(u32 command) const
{
    for (CToolbarButton* button : findChildren<CToolbarButton*>()) {
        if (button->Info().command == command)
            return button;
    }
    return nullptr;
}

void CMainToolbar::ResetToolbarButtons()
{
    SetLayout(DefaultLayout());
}

void CMainToolbar::SetLayout(const std::vector<int>& layout)
{
    m_layout.clear();
    for (int index : layout) {
        if (index == kSeparator || (index >= 0 && index < int(std::size(kButtons))))
            m_layout.push_back(index);
    }
    Rebuild();
}

void CMainToolbar::Rebuild()
{
    clear();
    for (CToolbarButton* button : findChildren<CToolbarButton*>(Qt::FindDirectChildrenOnly))
        delete button;
    const Qt::ToolButtonStyle style = m_nMode == TBMODE_BUTTONS ? Qt::ToolButtonIconOnly
        : m_nMode == TBMODE_TEXT                                ? Qt::ToolButtonTextOnly
                                                                : Qt::ToolButtonTextUnderIcon;
    setToolButtonStyle(style);
    setIconSize(m_nMode == TBMODE_TEXT ? QSize(0, 0) : QSize(kImageSize, kImageSize));
    for (int index : m_layout) {
        if (index == kSeparator) {
            addSeparator();
            continue;
        }
        const ToolbarButtonInfo& info = kButtons[size_t(index)];
        auto* button = new CToolbarButton(info, m_actions(info.command), this);
        button->setToolButtonStyle(style);
        if (m_nMode != TBMODE_TEXT)
            button->setIcon(IconOf(info.image));
        if (m_nMode == TBMODE_BUTTONS)
            button->setMinimumSize(kButtonSize, kButtonSize);
        button->dropMenu = [this](CToolbarButton* b) { return dropMenu ? dropMenu(b) : nullptr; };
        addWidget(button);
    }
}

void CMainToolbar::SetToolbarTextMode(u32 mode, bool restoreLayout)
{
    if (mode == m_nMode)
        return;
    if (mode < TBMODE_BUTTONS || mode > TBMODE_BUTTONS_TEXT)
        mode = TBMODE_BUTTONS_TEXT;
    m_nMode = mode;
    if (!restoreLayout || !RestoreLayout())
        Rebuild();
    if (modeChanged)
        modeChanged(mode);
}

void CMainToolbar::SaveLayout() const
{
    std::vector<u32> words{kLayoutMagic};
    for (int index : m_layout)
        words.push_back(u32(index));
    Profile::WriteBinary(kSection, kDataEntry, words.data(), qsizetype(words.size() * sizeof(u32)));
}

bool CMainToolbar::RestoreLayout()
{
    const auto bytes = Profile::GetBinaryAnySize(kSection, kDataEntry);
    if (!bytes || bytes->size() < qsizetype(sizeof(u32)) || bytes->size() % sizeof(u32) != 0)
        return false;
    std::vector<u32> words(size_t(bytes->size()) / sizeof(u32));
    std::memcpy(words.data(), bytes->constData(), size_t(bytes->size()));
    if (words.front() != kLayoutMagic)
        return false;
    std::vector<int> layout;
    for (size_t i = 1; i < words.size() && layout.size() < 64; ++i)
        layout.push_back(int(words[i]));
    SetLayout(layout);
    return true;
}
