// The program's own push button: flat until the mouse is over it, with an
// optional icon (left of or above the text), hand cursor and colours.
#pragma once

#include "platform/ui/syscolor.h"

#include <QIcon>
#include <QPushButton>

class CFlatButton : public QPushButton {
    Q_OBJECT
public:
    enum IconAlign { kIconLeft = 0, kIconTop = 1 };

    explicit CFlatButton(QWidget* parent = nullptr);
    explicit CFlatButton(const QString& text, QWidget* parent = nullptr);

    // The first icon shows while the button is hot or pressed, the second
    // otherwise; a second id of 0 uses the first for both. False when the
    // first icon is not in the resources.
    bool SetIcon(int firstIconId, int secondIconId, int width, int height);
    void SetIconHandles(const QIcon& hotIcon, const QIcon& icon, int width, int height);
    // -1 removes the cursor; false when the resource is missing.
    bool SetBtnCursor(int cursorId);

    void SetAlign(int align);
    int GetAlign() const { return m_nAlign; }
    void SetShowText(bool show);
    bool GetShowText() const { return m_bShowText; }
    void SetHotFrame(bool hotFrame) { m_bHotFrame = hotFrame; }

    void SetColors(ThemeColor hotFace, ThemeColor hotText, ThemeColor face, ThemeColor text, ThemeColor light,
        ThemeColor shadow, ThemeColor highlight, ThemeColor darkShadow, ThemeColor window, bool redraw);
    void SetDefaultColors(bool redraw);
    bool UsesSystemColors() const { return m_bSysColors; }

    bool IsHover() const { return m_bHover; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SetHover(bool hover);

    int m_nAlign = kIconLeft;
    bool m_bShowText = true;
    bool m_bHotFrame = true;
    bool m_bHover = false;
    QIcon m_hotIcon;
    QIcon m_icon;
    QSize m_iconSize;

    ThemeColor m_face = COLOR_3DFACE;
    ThemeColor m_text = COLOR_BTNTEXT;
    ThemeColor m_hotFace = COLOR_3DFACE;
    ThemeColor m_hotText = COLOR_BTNTEXT;
    ThemeColor m_shadow = COLOR_3DSHADOW;
    ThemeColor m_darkShadow = COLOR_3DDKSHADOW;
    ThemeColor m_light = COLOR_3DLIGHT;
    ThemeColor m_highlight = COLOR_3DHILIGHT;
    ThemeColor m_window = COLOR_WINDOW;
    bool m_bSysColors = true;
};
