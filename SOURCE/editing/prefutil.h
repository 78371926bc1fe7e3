// Pieces the preference pages share.
#pragma once

#include "platform/wintypes.h"

#include <QString>
#include <string>

class QBoxLayout;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QWidget;
class UserMan;

QCheckBox* AddCheck(QBoxLayout* layout, int id, const char* text);
QRadioButton* AddRadio(QBoxLayout* layout, int id, const char* text);
QPushButton* AddButton(QBoxLayout* layout, int id, const char* text);
QLabel* AddBoldLabel(QBoxLayout* layout, int id, const char* text);

// The font a page starts with: the user's, else the desktop's.
LOGFONT PageFont(const UserMan& userMan, int kind);
// A font sample: two blanks and the font's description, in the font and
// colours given.
void ShowFontSample(QLabel* label, const LOGFONT& font, COLORREF text, COLORREF back, bool withBack);

// Column widths of a two-column list kept in "UserMan\Miscellaneous" as two
// 32-bit widths; without a value of that size, the defaults (a width of -1
// sizes the column to its header).
void LoadColumnWidths(QTreeWidget* list, const char* entry, int first, int second);
void SaveColumnWidths(const QTreeWidget* list, const char* entry);
