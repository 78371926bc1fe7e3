// What the design keeps on every window besides its class: the control id
// a dialog finds it by, and the 32-bit user data word.
#pragma once

#include "platform/msgbox.h"
#include "platform/wintypes.h"

class QWidget;

void SetDlgCtrlID(QWidget* widget, int id);
// The id, and the object name "ctl<id>" by which tests find the control.
void SetDlgCtrlIDAndName(QWidget* widget, int id);
// 0 when the widget has no id.
int GetDlgCtrlID(const QWidget* widget);
// The widget or the nearest of its parents, up to stop (or up to its
// window when stop is null), whose id the pairs name; null when none.
// topic receives the id paired with it.
QWidget* PairedControl(QWidget* widget, const QWidget* stop, const HelpPairs& pairs, u32* topic = nullptr);
// The first descendant of dialog with that id, or null.
QWidget* GetDlgItem(const QWidget* dialog, int id);

u32 GetWindowUserData(const QWidget* widget);
void SetWindowUserData(QWidget* widget, u32 value);

// Dialog units of the window's font: a quarter of the average character
// width across, an eighth of the character height down.
int DialogUnitsToPixelsX(const QWidget* widget, int units);
int DialogUnitsToPixelsY(const QWidget* widget, int units);
