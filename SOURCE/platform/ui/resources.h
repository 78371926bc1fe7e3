// Bitmaps, icons and cursors of the program's resources, by their ids.
#pragma once

class QCursor;
class QIcon;
class QImage;

// Null when the program has no bitmap of that id.
QImage LoadBitmapResource(int id);
// Null when the program has no icon of that id.
QIcon LoadIconResource(int id);
// False when the program has no cursor of that id.
bool LoadCursorResource(int id, QCursor* out);

constexpr int IDC_HAND_CURSOR = 501;
