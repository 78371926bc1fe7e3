#include "platform/ui/resources.h"

#include <QCursor>
#include <QFile>
#include <QIcon>
#include <QImage>

// The resources live in a static library, so nothing would otherwise pull
// their registration into the program. (The macro must not be used inside a
// namespace.)
static int InitResources()
{
    Q_INIT_RESOURCE(res);
    return 1;
}

static void EnsureResources()
{
    static const int done = InitResources();
    (void)done;
}

QImage LoadBitmapResource(int id)
{
    EnsureResources();
    return QImage(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

QIcon LoadIconResource(int id)
{
    EnsureResources();
    const QString path = QStringLiteral(":/icons/%1.png").arg(id);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

bool LoadCursorResource(int id, QCursor* out)
{
    if (id == IDC_HAND_CURSOR) {
        *out = QCursor(Qt::PointingHandCursor);
        return true;
    }
    return false;
}
