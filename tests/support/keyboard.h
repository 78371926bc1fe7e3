// What a keyboard user meets in a window: the letters that Alt and a
// letter reach, and the order in which Tab visits the controls.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QMenu;
class QWidget;

// The letter marked with "&" in a control's or item's text, lower case;
// a null character when it has none ("&&" is a plain ampersand).
QChar MnemonicOf(const QString& text);

// Controls of the window shown now whose letters clash, one line per
// clash: buttons, check boxes, group boxes, tabs and labels with a buddy.
// Empty when every letter reaches one control.
QStringList MnemonicFaults(const QWidget* window);

// From now on, every dialog of the program that is shown or hidden fails
// the running test when two of its controls share a letter.
void CheckMnemonicsOfEveryDialog();

// Items of the menu and of its submenus that share a letter with another
// item of the same menu or have none, one line each; separators and items
// named in skip (by their text) are left out.
QStringList MenuMnemonicFaults(const QMenu* menu, const QStringList& skip = {});

// The controls inside the container that Tab can reach, in the order a
// reader takes them: row by row from the top, left to right in a row, a
// group box read whole where it stands.
QList<QWidget*> ReadingOrder(const QWidget* container);

// The controls inside the container in the order Tab visits them, starting
// at the first one ReadingOrder gives: the keys go to the focused control.
QList<QWidget*> TabOrder(const QWidget* container);

// A control as a line of a test's message: its class, object name and text.
QString DescribeControl(const QWidget* widget);
QStringList DescribeControls(const QList<QWidget*>& widgets);
