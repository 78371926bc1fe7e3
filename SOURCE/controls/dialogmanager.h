// What the desktop's dialog manager does for every dialog of the program,
// whatever its class, once installed for the application:
// - Alt with a letter is a control's access key and never text: one that
//   reaches no enabled control leaves the focused field as the user typed it;
// - a dialog opens whole inside the available area of its screen. One
//   larger than that area shrinks to it: its working area, when it named
//   one, scrolls; otherwise it gets no smaller than its controls allow.
#pragma once

class QDialog;
class QWidget;

void InstallDialogManager();

// Names the part of its window that scrolls when the window is larger than
// the screen's room (a widget the window's layout holds).
void SetScrollsToFit(QWidget* workingArea);

// Makes the dialog fit the available area of its screen and places it
// inside; done by the manager for every dialog as it is shown.
void FitDialogToScreen(QDialog* dialog);
