#include "editing/imageviewwnd.h"

#include "core/errorreport.h"
#include "core/utilities.h"
#include "image/imageimpl.h"
#include "platform/regularfile.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <iterator>
#include <string>
#include <utility>

namespace {

// The preferred size, in dialog units.
constexpr int kPreferredWidth = 80;
constexpr int kPreferredHeight = 80;
constexpr u32 IDS_PICTURE_NOT_SHOWN = 59540;
constexpr u32 IDS_PICTURE_MISSING = 59541;
constexpr u32 IDS_PICTURE_NOT_ORDINARY = 59542;

// Why a picture was not decoded.
QString ReadFailure(const std::string& path, const CImageFile& image)
{
    static const char* const kTypeNames[] = {"BMP", "JPEG", "GIF", "XPM", "PNG"};
    const CImageImpl* impl = image.GetImpl();
    const ImageReadError error = impl ? impl->GetReadError() : ImageReadError{};
    const QString reason = QString::fromStdString(error.reason);
    switch (error.fault) {
    case ImageReadFault::TooLarge:
        return QStringLiteral("it is too large: %1 x %2 pixels, more than the %3 pixels a picture may have")
            .arg(error.width)
            .arg(error.height)
            .arg(QLocale().toString(qulonglong(kMaxImagePixels)));
    case ImageReadFault::Unsupported: {
        const int type = image.GetType();
        const QString kind = type >= 0 && type < int(std::size(kTypeNames))
            ? QString::fromLatin1(kTypeNames[type])
            : QString();
        return QStringLiteral("this kind of %1 picture is not supported").arg(kind)
            + (reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason));
    }
    case ImageReadFault::Damaged:
        // What exactly is wrong inside the file means nothing to the user;
        // it goes to the error log for whoever looks into it.
        if (!reason.isEmpty()) {
            // Once for a file looked at again and again, as in a preview.
            static std::string lastNote;
            std::string note = "The picture " + path + " is damaged: " + error.reason + "\n";
            if (note != lastNote && AppendErrorLogNote(note))
                lastNote = std::move(note);
            return QStringLiteral("the picture is damaged");
        }
        break;
    case ImageReadFault::None:
        break;
    }
    return QStringLiteral("the file is damaged or of another kind");
}

}  // namespace

CImageViewWnd::CImageViewWnd(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("TolvaImageViewWndClass"));
    setWindowTitle(QStringLiteral("VIEW_IMAGE"));
    SetDlgCtrlID(this, kId);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setCursor(Qt::ArrowCursor);
    // Every pixel is painted, so nothing need be erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CImageViewWnd::~CImageViewWnd() = default;

bool CImageViewWnd::Create(QWidget* parent, const QRect& rect)
{
    setParent(parent);
    setGeometry(rect);
    show();
    return true;
}

void CImageViewWnd::SetFile(const std::string& path, int type)
{
    m_pImage.reset();
    m_message.clear();
    if (!path.empty()) {
        auto image = std::make_unique<CImageFile>(path, type);
        if (image->GetWidth() > 0 && image->GetHeight() > 0)
            m_pImage = std::move(image);
        else
            m_message = QString::fromStdString(
                FormatResString(IDS_PICTURE_NOT_SHOWN, WhyNotShown(path, *image).toStdString()));
    }
    update();
}

QString CImageViewWnd::WhyNotShown(const std::string& path, const CImageFile& image)
{
    // The decoder sees no bytes in a file that does not open; the file
    // itself tells why.
    CRegularFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        const int error = errno;
        if (error == ENOENT)
            return QString::fromStdString(LoadResString(IDS_PICTURE_MISSING));
        if (error == kNotRegularFileErrno)
            return QString::fromStdString(LoadResString(IDS_PICTURE_NOT_ORDINARY));
        QString text = file.errorString();
        if (!text.isEmpty())
            text[0] = text[0].toLower();
        return text;
    }
    return ReadFailure(path, image);
}

void CImageViewWnd::SetImage(std::unique_ptr<CImageFile> image)
{
    if (!image)
        return;
    m_pImage = std::move(image);
    m_message.clear();
    update();
}

void CImageViewWnd::SetMessage(const QString& text)
{
    m_message = text;
    update();
}

std::unique_ptr<CImageFile> CImageViewWnd::DetachImage()
{
    update();
    return std::move(m_pImage);
}

std::string CImageViewWnd::GetFileName() const
{
    return m_pImage ? m_pImage->GetFileName() : std::string();
}

int CImageViewWnd::GetImageType() const
{
    return m_pImage ? m_pImage->GetType() : IMAGE_TYPE_UNKNOWN;
}

void CImageViewWnd::SetZoom(float zoom)
{
    m_fZoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    update();
}

QRectF CImageViewWnd::PictureRect() const
{
    const QRect client = contentsRect();
    if (!m_pImage || client.isEmpty())
        return {};
    const double width = m_pImage->GetWidth();
    const double height = m_pImage->GetHeight();
    if (width <= 0 || height <= 0)
        return {};
    // The side that is relatively larger fills the window; the other keeps
    // the proportions.
    const double scale = width / client.width() >= height / client.height() ? client.width() / width
                                                                            : client.height() / height;
    const QSizeF size(width * scale * m_fZoom, height * scale * m_fZoom);
    const QPointF topLeft(
        client.x() + (client.width() - size.width()) / 2, client.y() + (client.height() - size.height()) / 2);
    return {topLeft, size};
}

QSize CImageViewWnd::sizeHint() const
{
    return {DialogUnitsToPixelsX(this, kPreferredWidth), DialogUnitsToPixelsY(this, kPreferredHeight)};
}

void CImageViewWnd::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect client = contentsRect();
    p.fillRect(client, GetSysColor(COLOR_3DFACE, this));
    const QRectF target = PictureRect();
    if (target.isEmpty()) {
        if (!m_message.isEmpty()) {
            const int margin = fontMetrics().averageCharWidth();
            p.setPen(GetSysColor(COLOR_BTNTEXT, this));
            p.drawText(client.adjusted(margin, margin, -margin, -margin), Qt::AlignCenter | Qt::TextWordWrap,
                m_message);
        }
        return;
    }
    // Only the part inside the window is drawn: zoomed far in, the whole
    // picture would not fit in a coordinate.
    const QRectF shown = target.intersected(QRectF(client));
    if (shown.isEmpty())
        return;
    const double perPixelX = m_pImage->GetWidth() / target.width();
    const double perPixelY = m_pImage->GetHeight() / target.height();
    const int srcX = int(std::floor((shown.left() - target.left()) * perPixelX));
    const int srcY = int(std::floor((shown.top() - target.top()) * perPixelY));
    const int srcRight
        = std::min(m_pImage->GetWidth(), int(std::ceil((shown.right() - target.left()) * perPixelX)));
    const int srcBottom
        = std::min(m_pImage->GetHeight(), int(std::ceil((shown.bottom() - target.top()) * perPixelY)));
    // The source rectangle in whole pixels, and where exactly it lands.
    const QRectF dest(target.left() + srcX / perPixelX, target.top() + srcY / perPixelY,
        (srcRight - srcX) / perPixelX, (srcBottom - srcY) / perPixelY);
    const QRect destRect = dest.toAlignedRect().intersected(client.adjusted(-1, -1, 1, 1));
    if (destRect.isEmpty() || srcRight <= srcX || srcBottom <= srcY)
        return;
    p.setClipRect(client);
    m_pImage->StretchDIB(&p, int(std::lround(dest.left())), int(std::lround(dest.top())),
        std::max(1, int(std::lround(dest.width()))), std::max(1, int(std::lround(dest.height()))), srcX, srcY,
        srcRight - srcX, srcBottom - srcY);
}
