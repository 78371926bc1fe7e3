// Lists and trees cut a text that does not fit short, with an ellipsis or
// at their edge. Resting the mouse on such an item shows its whole text as
// a tool tip; an item whose text fits shows none.
#pragma once

class QAbstractItemView;

void EnableCutTextTips(QAbstractItemView* view);
