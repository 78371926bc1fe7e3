// The handlers of the flat look, one per kind of control, and the choice
// among them.
#pragma once

#include "controls/flatctrlman.h"

#include <QStyle>

class QStyleOptionComplex;
class QStyleOptionSlider;
class QStyleOptionSpinBox;

// Edits, multi-line edits and the edit of a spin box: read-only ones are
// drawn like disabled ones.
class CFlatEditHandler : public CFlatCtrlHandler {
public:
    using CFlatCtrlHandler::CFlatCtrlHandler;

protected:
    u16 ExtraState() const override;
};

// An edit with its up-down buttons at the right, inside one border.
class CFlatSpinHandler : public CFlatEditHandler {
public:
    // Width of the up-down buttons.
    static constexpr int kButtonWidth = 16;

    using CFlatEditHandler::CFlatEditHandler;
    void DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option) override;
    static QRect SubControlRect(const QStyleOptionComplex* option, QStyle::SubControl sc);
};

class CFlatComboHandler : public CFlatCtrlHandler {
public:
    using CFlatCtrlHandler::CFlatCtrlHandler;
    void DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option) override;
    static QRect SubControlRect(const QStyleOptionComplex* option, QStyle::SubControl sc);
};

// A date or time edit with a calendar drop-down looks like a combo box.
class CFlatDateTimeHandler : public CFlatComboHandler {
public:
    using CFlatComboHandler::CFlatComboHandler;
};

class CFlatCheckBoxHandler : public CFlatCtrlHandler {
public:
    static constexpr int kBoxSize = 13;

    using CFlatCtrlHandler::CFlatCtrlHandler;
    bool HasFocus() const override { return false; }
    void DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option) override;
};

class CFlatRadioHandler : public CFlatCtrlHandler {
public:
    static constexpr int kCircleSize = 12;

    using CFlatCtrlHandler::CFlatCtrlHandler;
    bool HasFocus() const override { return false; }
    void DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option) override;
};

class CFlatPushButtonHandler : public CFlatCtrlHandler {
public:
    using CFlatCtrlHandler::CFlatCtrlHandler;
    void DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option) override;
};

class CFlatScrollBarHandler : public CFlatCtrlHandler {
public:
    // The shortest thumb.
    static constexpr int kMinThumb = 8;

    using CFlatCtrlHandler::CFlatCtrlHandler;
    void DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option) override;

    // A scroll bar drawn flat: its own control (ownControl), or one of the
    // bars of a control whose handler decides whether it is hot.
    static void DrawScrollBar(QPainter& p, const QStyleOptionSlider* option, bool hot, bool ownControl);
    static QRect SubControlRect(const QStyleOptionComplex* option, QStyle::SubControl sc);
    // Start and length of the thumb along a track of trackLength pixels; a
    // length of 0 when it fills the track.
    static std::pair<int, int> ThumbGeometry(const QStyleOptionSlider* option, int trackLength);
};

class CFlatTrackBarHandler : public CFlatCtrlHandler {
public:
    static constexpr int kThumbLength = 11;
    static constexpr int kThumbThickness = 21;
    static constexpr int kChannelThickness = 4;

    using CFlatCtrlHandler::CFlatCtrlHandler;
    void DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option) override;
    static QRect SubControlRect(const QStyleOptionComplex* option, QStyle::SubControl sc);
};

// Header, and tab handlers track the item under the mouse as well.
class CFlatItemHandler : public CFlatCtrlHandler {
public:
    using CFlatCtrlHandler::CFlatCtrlHandler;
    bool CheckHot(QPoint screen) override;
    void UpdateBorder() override;
    int HotItem() const { return m_hotItem; }

protected:
    virtual int ItemAt(QPoint local) const = 0;
    int m_hotItem = -1;
};

class CFlatHeaderHandler : public CFlatItemHandler {
public:
    using CFlatItemHandler::CFlatItemHandler;
    void DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option) override;
    void UpdateBorder() override;

protected:
    int ItemAt(QPoint local) const override;

private:
    bool m_parentLit = false;
};

class CFlatTabHandler : public CFlatItemHandler {
public:
    using CFlatItemHandler::CFlatItemHandler;
    bool HasFocus() const override { return false; }
    void DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option) override;
    // The page area of a tab control whose tabs are drawn flat.
    static void DrawPane(QPainter& p, const QRect& r, const QStyleOption* option);

protected:
    int ItemAt(QPoint local) const override;
};

// The handler for a control, or null when the flat look leaves it alone.
std::unique_ptr<CFlatCtrlHandler> ChooseFlatHandler(QWidget* control);

// The handler whose state a scroll bar of a control shows: the control's,
// when the bar belongs to a scroll area that has one.
CFlatCtrlHandler* OwnerOfScrollBar(const QWidget* scrollBar);
