// Context help for a dialog's controls: F1 and the context menu over a
// control show the topic paired with the control's id.
#pragma once

#include "platform/msgbox.h"

class QWidget;

// The dialog keeps the pairs for its lifetime.
void EnableContextHelp(QWidget* dialog, HelpPairs pairs);
