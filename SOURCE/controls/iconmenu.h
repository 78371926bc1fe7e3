// Menus drawn with a 16 x 16 image beside each command, an etched
// separator, a sunken check box, the default item in bold and the
// accelerator right-aligned. Menu texts carry the accelerator behind the
// first "_" ("&Print_Ctrl+P").
#pragma once

#include "platform/ui/imagelist.h"
#include "platform/wintypes.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

class CCmdTarget;
class QAction;
class QMenu;
class QPainter;
class QStyleOptionMenuItem;
class QWidget;

struct IconMenuItem {
    static constexpr i32 kNoImage = -1;
    static constexpr i32 kSubmenu = -2;
    static constexpr i32 kSeparator = -3;

    i32 m_nImage = kNoImage;
    i32 m_nCmd = 0;
    QString m_text;
};

class IconMenuStyle;

class CIconMenu {
public:
    static constexpr int kBitmapPattern = 304;
    static constexpr int kBitmapHotImages = 305;
    static constexpr int kBitmapImages = 306;
    static constexpr int kImageSize = 16;
    static constexpr int kBoxSize = 20;
    static constexpr QRgb kMaskColour = 0xFF00FF;

    CIconMenu();
    explicit CIconMenu(bool popupMode);
    ~CIconMenu();
    CIconMenu(const CIconMenu&) = delete;
    CIconMenu& operator=(const CIconMenu&) = delete;

    void Init();
    void OnSysColorChange();
    bool IsPopupMode() const { return m_bPopupMode; }

    IconMenuItem* AddItem(const QString& text, i32 commandId);
    void SetItemImage(int imageIndex, i32 commandId);
    // A QMenu, or a QMenuBar whose top-level items stay plain text.
    void ConvertMenu(QWidget* menu, int depth = 0);
    void UpdateCmdUI(QMenu* menu, CCmdTarget* target);

    // The record of a converted item, or null.
    const IconMenuItem* ItemOf(const QAction* action) const;
    bool IsOwnerDrawItem(const QAction* action) const;
    int ItemCount() const { return int(m_items.size()); }

    QSize MeasureItem(const QStyleOptionMenuItem* option) const;
    // The room kept between a label and its shortcut, from the menu font.
    static int AccelGap(const QFontMetrics& fm) { return 3 * fm.averageCharWidth(); }
    bool DrawItem(QPainter* p, const QStyleOptionMenuItem* option, const QWidget* menu) const;

    // The two image lists the icon menus share: image 0 is the tick, command
    // images follow. The hot list draws the selected item.
    static ImageList& HotImages();
    static ImageList& NormalImages();
    // Fills both from bitmaps 305 and 306; false when either is missing.
    static bool LoadImageLists();

private:
    bool m_bPopupMode = false;
    QFont m_font;
    QFont m_boldFont;
    std::vector<std::unique_ptr<IconMenuItem>> m_items;
    QHash<const QAction*, IconMenuItem*> m_byAction;
    std::unique_ptr<IconMenuStyle> m_style;
    std::vector<QPointer<QWidget>> m_styled;
};
