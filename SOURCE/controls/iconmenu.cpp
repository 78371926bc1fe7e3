#include "controls/iconmenu.h"

#include "controls/cmdui.h"
#include "controls/flatdraw.h"
#include "platform/ui/menu.h"
#include "platform/ui/resources.h"
#include "platform/ui/syscolor.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <algorithm>

namespace {

constexpr int kMinItemHeight = 20;
constexpr int kAccelMargin = 15;
constexpr int kPlainMargin = 2;
constexpr int kSeparatorInset = 12;
constexpr const char* kConvertedProperty = "tolvaOwnerDraw";

struct SplitText {
    QString text;
    QString accel;
    bool hasAccel = false;
};

SplitText Split(const QString& menuText)
{
    QString text = menuText;
    // An accelerator Qt added itself (a shortcut on the action) is shown as one.
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0)
        text[tab] = QLatin1Char('_');
    const qsizetype underscore = text.indexOf(QLatin1Char('_'));
    if (underscore < 0)
        return {text, {}, false};
    return {text.left(underscore), text.mid(underscore + 1), true};
}

QBrush CheckedPattern(const QPalette& pal)
{
    QImage pattern = LoadBitmapResource(CIconMenu::kBitmapPattern).convertToFormat(QImage::Format_RGB32);
    if (pattern.isNull())
        return QBrush(GetSysColor(COLOR_3DHILIGHT, pal), Qt::Dense4Pattern);
    const QRgb face = GetSysColor(COLOR_3DFACE, pal).rgb();
    const QRgb light = GetSysColor(COLOR_3DHILIGHT, pal).rgb();
    for (int y = 0; y < pattern.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(pattern.scanLine(y));
        for (int x = 0; x < pattern.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == 0xC0C0C0)
                line[x] = face;
            else if ((line[x] & 0xFFFFFF) == 0xFFFFFF)
                line[x] = light;
        }
    }
    return QBrush(pattern);
}

}  // namespace

// The style of converted menus: their items are drawn by the icon menu.
class IconMenuStyle : public QProxyStyle {
public:
    explicit IconMenuStyle(const CIconMenu* owner)
        : m_owner(owner)
    {
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
        const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type == CT_MenuItem && item && ConvertedText(widget, item))
            return m_owner->MeasureItem(item);
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    void drawControl(
        ControlElement element, const QStyleOption* option, QPainter* p, const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuItem && item && m_owner->DrawItem(p, item, widget))
            return;
        QProxyStyle::drawControl(element, option, p, widget);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        // The items fill the menu from edge to edge, as owner-drawn items do.
        if (metric == PM_MenuHMargin || metric == PM_MenuVMargin)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    // Measuring comes before the items have places, so the item is found by
    // its text among the converted ones.
    bool ConvertedText(const QWidget* menu, const QStyleOptionMenuItem* item) const
    {
        if (!menu)
            return false;
        const auto actions = menu->actions();
        return std::any_of(actions.begin(), actions.end(), [&](const QAction* a) {
            return m_owner->ItemOf(a)
                && (a->isSeparator() ? item->menuItemType == QStyleOptionMenuItem::Separator
                                     : a->text() == item->text.section(u'\t', 0, 0));
        });
    }

    const CIconMenu* m_owner;
};

CIconMenu::CIconMenu()
    : m_style(std::make_unique<IconMenuStyle>(this))
{
    Init();
}

CIconMenu::CIconMenu(bool popupMode)
    : CIconMenu()
{
    m_bPopupMode = popupMode;
}

CIconMenu::~CIconMenu()
{
    // The menus may outlive this object: they go back to the desktop's look.
    for (const QPointer<QWidget>& menu : m_styled) {
        if (menu)
            menu->setStyle(nullptr);
    }
}

void CIconMenu::Init()
{
    m_font = QApplication::font("QMenu");
    m_boldFont = m_font;
    m_boldFont.setWeight(QFont::Bold);
}

void CIconMenu::OnSysColorChange()
{
    Init();
}

ImageList& CIconMenu::HotImages()
{
    static ImageList list(QSize(kImageSize, kImageSize));
    return list;
}

ImageList& CIconMenu::NormalImages()
{
    static ImageList list(QSize(kImageSize, kImageSize));
    return list;
}

bool CIconMenu::LoadImageLists()
{
    HotImages().Clear();
    NormalImages().Clear();
    return HotImages().Add(LoadBitmapResource(kBitmapHotImages), kMaskColour) == 0
        && NormalImages().Add(LoadBitmapResource(kBitmapImages), kMaskColour) == 0;
}

IconMenuItem* CIconMenu::AddItem(const QString& text, i32 commandId)
{
    auto item = std::make_unique<IconMenuItem>();
    item->m_nImage = commandId < 0 ? commandId : IconMenuItem::kNoImage;
    item->m_nCmd = commandId;
    item->m_text = text.left(255);
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

void CIconMenu::SetItemImage(int imageIndex, i32 commandId)
{
    for (const auto& item : m_items) {
        if (item->m_nCmd == commandId)
            item->m_nImage = imageIndex;
    }
}

const IconMenuItem* CIconMenu::ItemOf(const QAction* action) const
{
    return m_byAction.value(action, nullptr);
}

bool CIconMenu::IsOwnerDrawItem(const QAction* action) const
{
    return action && !action->isSeparator() && m_byAction.contains(action);
}

void CIconMenu::ConvertMenu(QWidget* menu, int depth)
{
    if (!menu)
        return;
    ++depth;
    const bool isBar = qobject_cast<QMenuBar*>(menu) != nullptr;
    if (!isBar && menu->style() != m_style.get()) {
        menu->setStyle(m_style.get());
        m_styled.emplace_back(menu);
    }
    const auto actions = menu->actions();
    for (auto it = actions.rbegin(); it != actions.rend(); ++it) {
        QAction* action = *it;
        // Items converted before (by this or another icon menu) stay as they are.
        const bool converted = action->property(kConvertedProperty).toBool();
        IconMenuItem* item = nullptr;
        if (QMenu* submenu = action->menu()) {
            ConvertMenu(submenu, depth);
            if (!converted && (m_bPopupMode || depth > 1) && !action->text().isEmpty())
                item = AddItem(action->text(), IconMenuItem::kSubmenu);
        } else if (converted) {
            continue;
        } else if (action->isSeparator()) {
            item = AddItem(QString(), IconMenuItem::kSeparator);
        } else {
            item = AddItem(action->text(), i32(GetCommandId(action)));
        }
        if (item) {
            action->setProperty(kConvertedProperty, true);
            m_byAction.insert(action, item);
            QObject::connect(
                action, &QObject::destroyed, m_style.get(), [this, action] { m_byAction.remove(action); });
        }
    }
}

void CIconMenu::UpdateCmdUI(QMenu* menu, CCmdTarget* target)
{
    if (!menu)
        return;
    const auto actions = menu->actions();
    for (auto it = actions.rbegin(); it != actions.rend(); ++it) {
        QAction* action = *it;
        if (QMenu* submenu = action->menu()) {
            UpdateCmdUI(submenu, target);
            continue;
        }
        const u32 id = GetCommandId(action);
        if (id != 0) {
            CCmdUI ui(id, action);
            ui.DoUpdate(target, true);
        }
    }
}

QSize CIconMenu::MeasureItem(const QStyleOptionMenuItem* option) const
{
    if (option->menuItemType == QStyleOptionMenuItem::Separator)
        return {10, 6};
    const QString text = option->text;
    if (text.isEmpty())
        return {100, kMinItemHeight};
    const SplitText split = Split(text);
    const QFontMetrics fm(option->menuItemType == QStyleOptionMenuItem::DefaultItem ? m_boldFont : m_font);
    const QRect bounds
        = fm.boundingRect(QRect(), Qt::TextShowMnemonic | Qt::TextSingleLine, split.text + split.accel);
    const int height = std::max(kMinItemHeight, fm.height());
    // The widest item keeps a clear gap between its label and its shortcut.
    const int gap = split.hasAccel ? CIconMenu::AccelGap(fm) : 0;
    const int width = bounds.width() + gap + 2 + (split.hasAccel ? kAccelMargin : kPlainMargin)
        + std::max(height, kBoxSize);
    return {width, height};
}

bool CIconMenu::DrawItem(QPainter* p, const QStyleOptionMenuItem* option, const QWidget* widget) const
{
    const auto* menu = qobject_cast<const QMenu*>(widget);
    const QAction* action = menu ? menu->actionAt(option->rect.center()) : nullptr;
    const IconMenuItem* item = ItemOf(action);
    if (!item)
        return false;
    const QPalette& pal = option->palette;
    const auto c = [&](int index) { return GetSysColor(index, pal); };
    const QRect r = option->rect;

    if (item->m_nImage == IconMenuItem::kSeparator
        || option->menuItemType == QStyleOptionMenuItem::Separator) {
        p->fillRect(r, c(COLOR_MENU));
        const int width = r.width() - 2 * kSeparatorInset;
        p->fillRect(r.x() + kSeparatorInset, r.y() + 2, width, 1, c(COLOR_3DSHADOW));
        p->fillRect(r.x() + kSeparatorInset, r.y() + 3, width, 1, c(COLOR_3DHILIGHT));
        return true;
    }

    const bool selected = option->state & QStyle::State_Selected;
    const bool enabled = option->state & QStyle::State_Enabled;
    const bool checked = option->checkType != QStyleOptionMenuItem::NotCheckable && option->checked;
    const bool hasImage = item->m_nImage > 0;
    const QRect box(r.x(), r.y(), r.height(), r.height());

    p->fillRect(r, c(COLOR_MENU));
    const QRect background = (!hasImage && !checked) ? r : r.adjusted(box.width(), 0, 0, 0);
    p->fillRect(background, c(selected ? COLOR_HIGHLIGHT : COLOR_MENU));

    const ImageList& images = selected ? HotImages() : NormalImages();
    const QSize imageSize = images.ImageSize();
    const QPoint centred(
        box.x() + (box.width() - imageSize.width()) / 2, box.y() + (box.height() - imageSize.height()) / 2);
    if (checked) {
        Draw3dRect(*p, box, c(COLOR_3DSHADOW), c(COLOR_3DHILIGHT));
        const QRect inside = box.adjusted(1, 1, -1, -1);
        if (selected)
            p->fillRect(inside, c(COLOR_MENU));
        else
            p->fillRect(inside, CheckedPattern(pal));
        if (!hasImage)
            images.Draw(*p, 0, centred);
    }
    if (hasImage) {
        if (!checked) {
            if (selected && enabled)
                Draw3dRect(*p, box, c(COLOR_3DHILIGHT), c(COLOR_3DSHADOW));
            else
                Draw3dRect(*p, box, c(COLOR_MENU), c(COLOR_MENU));
        }
        const QPoint at = centred + (checked ? QPoint(1, 1) : QPoint());
        if (!enabled)
            HotImages().DrawDisabled(*p, item->m_nImage, at, pal);
        else
            images.Draw(*p, item->m_nImage, at);
    }

    const SplitText split = Split(option->text);
    const bool isDefault = option->menuItemType == QStyleOptionMenuItem::DefaultItem;
    p->setFont(isDefault ? m_boldFont : m_font);
    const QRect textRect(box.right() + 1 + 2, r.y(),
        r.right() + 1 - (split.hasAccel ? kAccelMargin : kPlainMargin) - (box.right() + 3), r.height());
    const auto drawText = [&](const QRect& at) {
        const int flags = Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine | Qt::TextExpandTabs
            | Qt::TextDontClip;
        p->drawText(at, flags | Qt::AlignLeft, split.text);
        if (split.hasAccel)
            p->drawText(at, flags | Qt::AlignRight, split.accel);
    };
    if (!enabled && !selected) {
        if (ReliefReads(c(COLOR_3DHILIGHT), c(COLOR_GRAYTEXT))) {
            p->setPen(c(COLOR_3DHILIGHT));
            drawText(textRect.translated(1, 1));
        }
        p->setPen(c(COLOR_GRAYTEXT));
    } else if (!enabled) {
        p->setPen(c(COLOR_MENU));
    } else {
        p->setPen(c(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    }
    drawText(textRect);

    if (option->menuItemType == QStyleOptionMenuItem::SubMenu) {
        const QRect arrow(r.right() - kAccelMargin + 4, r.y(), 8, r.height());
        DrawArrowGlyph(*p, arrow, ArrowDirection::Right, 7, p->pen().color());
    }
    return true;
}
