// Context help for the controls of a dialog or page: a right click on a
// control, the help key (F1) on the focused control, and Shift+F1 followed by
// a click show the topic that the dialog's table pairs with the control.
// On a control without a pair the help key opens the help pages instead, and
// a right click shows nothing. Edit fields keep their own menu of the right
// button (cut, copy, paste); the help key explains them. A right click on a
// list's item explains the list and leaves its selection as it was.
#pragma once

#include "platform/msgbox.h"

class QWidget;

// The dialog keeps the pairs for its lifetime; controls added later are
// covered too. A page inside a dialog with pairs of its own answers with the
// page's pairs.
void EnableContextHelp(QWidget* dialog, HelpPairs pairs);

// The pairs a dialog answers with, or null when it has none (for tests).
const HelpPairs* ContextHelpPairs(const QWidget* dialog);

class QString;

// Opens one of the help pages that ship with the program in the desktop's
// browser; tells the user when it cannot. The help topics' first page when
// none is named.
bool OpenHelpPage(QWidget* parent, const QString& page);
bool OpenHelpPage(QWidget* parent);
