// The alphabet bar: a column of letter buttons in a scrolling pager at the
// side of the contacts container. A button filters the list by the first
// letter of the contacts' names; "All" shows every contact.
#pragma once

#include "platform/wintypes.h"

#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <vector>

class QToolButton;

class CLetterToolBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 1008;
    static constexpr int kButtonWidth = 63;

    explicit CLetterToolBar(QWidget* parent = nullptr);

    // One button per letter (command 32800 + position), then "All" (32851).
    void SetLetters(const QStringList& letters, int buttonHeight);
    void SetCurrent(u32 command);
    int ButtonCount() const { return int(m_buttons.size()); }
    // The command of the button the keyboard is on, 0 for none.
    u32 HotCommand() const;
    QToolButton* Button(u32 command) const;
    void SetTextColor(const QColor& colour);

    std::function<void(u32 command)> letterChosen;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FocusButton(int index);

    std::vector<std::pair<u32, QToolButton*>> m_buttons;
    // Framed around the button the keyboard is on while the bar has the
    // focus, so that it never looks like the chosen letter.
    QWidget* m_focusMark;
    u32 m_nCurrent = 0;
    int m_hot = -1;
    // The button the user was on when the bar last lost the focus or was
    // clicked; coming back with the keyboard starts there.
    u32 m_nLastHot = 0;
    QColor m_textColor;
    bool m_bSettingPalette = false;
    int m_nButtonHeight = 20;
};

class CPagerWnd : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int kControlId = 1006;

    explicit CPagerWnd(QWidget* parent = nullptr);
    void SetBar(CLetterToolBar* bar);
    void EnsureVisible(QWidget* button);
};
