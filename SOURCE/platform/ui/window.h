// What the design keeps on every window besides its class: the control id
// a dialog finds it by, and the 32-bit user data word.
#pragma once

#include "platform/wintypes.h"

class QWidget;

void SetDlgCtrlID(QWidget* widget, int id);
// The id, and the object name "ctl<id>" by which tests find the control.
void SetDlgCtrlIDAndName(QWidget* widget, int id);
// 0 when the widget has no id.
int GetDlgCtrlID(const QWidget* widget);
// The first descendant of dialog with that id, or null.
QWidget* GetDlgItem(const QWidget* dialog, int id);

u32 GetWindowUserData(const QWidget* widget);
void SetWindowUserData(QWidget* widget, u32 value);

// Dialog units of the window's font: a quarter of the average character
// width across, an eighth of the character height down.
int DialogUnitsToPixelsX(const QWidget* widget, int units);
int DialogUnitsToPixelsY(const QWidget* widget, int units);
