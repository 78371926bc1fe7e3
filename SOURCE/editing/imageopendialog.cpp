#include "editing/imageopendialog.h"

#include "controls/flatbutton.h"
#include "core/utilities.h"
#include "editing/imageviewwnd.h"
#include "platform/profile.h"
#include "platform/regularfile.h"
#include "platform/ui/resources.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr const char* kSection = "UserMan";
constexpr const char* kEntry = "ImageDlg";
constexpr u32 IDS_IMAGE_FILTER = 59436;

constexpr float kZoomInStep = 1.25f;
constexpr float kZoomOutStep = 0.8f;
// The zoom buttons, in dialog units.
constexpr int kButtonWidth = 16;
constexpr int kButtonHeight = 14;
constexpr int kIconSize = 16;

struct ToolButton {
    int id;
    int iconId;
    const char* tip;
};
constexpr ToolButton kZoomIn{CImageOpenDialog::kZoomInId, 426, "Zoom in"};
constexpr ToolButton kZoomOut{CImageOpenDialog::kZoomOutId, 425, "Zoom out"};
constexpr ToolButton kPan{CImageOpenDialog::kPanId, 427, "Pan"};
constexpr ToolButton kRestore{CImageOpenDialog::kRestoreId, 428, "Restore"};

// The file dialog's filters from the "text|patterns|...||" form of the
// string table, the patterns separated by blanks as the dialog reads them.
QStringList NameFilters()
{
    const QStringList parts = QString::fromStdString(LoadResString(IDS_IMAGE_FILTER)).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            pattern = pattern.trimmed();
        const QString text = parts[i].left(parts[i].indexOf(QLatin1Char('('))).trimmed();
        filters << text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

// Drawn in the button text colour when the program's icon is missing.
QIcon StandInIcon(int iconId, const QWidget* widget)
{
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(GetSysColor(COLOR_BTNTEXT, widget), 1.5));
    switch (iconId) {
    case 426:
    case 425:
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
        p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
        if (iconId == 426)
            p.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
        break;
    case 427: {
        p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        QPainterPath heads;
        for (const auto& [tip, a, b] : {std::tuple{QPointF(8, 1), QPointF(5.5, 4), QPointF(10.5, 4)},
                 std::tuple{QPointF(8, 15), QPointF(5.5, 12), QPointF(10.5, 12)},
                 std::tuple{QPointF(1, 8), QPointF(4, 5.5), QPointF(4, 10.5)},
                 std::tuple{QPointF(15, 8), QPointF(12, 5.5), QPointF(12, 10.5)}}) {
            heads.moveTo(a);
            heads.lineTo(tip);
            heads.lineTo(b);
        }
        p.drawPath(heads);
        break;
    }
    default: {
        QFont font = widget ? widget->font() : QFont();
        font.setPixelSize(9);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    }
    }
    return QIcon(pixmap);
}

}  // namespace

CImageOpenDialog::CImageOpenDialog(QWidget* parent)
    : QFileDialog(parent)
    , m_dwImageDlg(u32(Profile::GetInt(kSection, kEntry, int(kPreviewOn))))
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setObjectName(QStringLiteral("CImageOpenDialog"));
    setWindowTitle(QStringLiteral("Select image file"));
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setNameFilters(NameFilters());
    setDefaultSuffix(QStringLiteral("jpg"));
    AddPreviewPane();
    m_showPreview->setChecked(IsPreviewOn());
    connect(this, &QFileDialog::currentChanged, this, &CImageOpenDialog::OnSelChange);
}

CImageOpenDialog::~CImageOpenDialog()
{
    Profile::WriteInt(kSection, kEntry, int(m_dwImageDlg));
}

void CImageOpenDialog::AddPreviewPane()
{
    auto* pane = new QWidget(this);
    SetDlgCtrlID(pane, kTemplateId);
    auto* place = new QWidget(pane);
    SetDlgCtrlID(place, kPreviewPlaceId);
    m_preview = new CImageViewWnd(place);
    auto* placeLayout = new QVBoxLayout(place);
    placeLayout->setContentsMargins(0, 0, 0, 0);
    placeLayout->addWidget(m_preview);

    auto* buttons = new QHBoxLayout;
    for (const ToolButton& tool : {kZoomIn, kZoomOut, kPan, kRestore}) {
        auto* button = new CFlatButton(pane);
        SetDlgCtrlID(button, tool.id);
        button->setFixedSize(
            DialogUnitsToPixelsX(this, kButtonWidth), DialogUnitsToPixelsY(this, kButtonHeight));
        const QIcon own = LoadIconResource(tool.iconId);
        const QIcon icon = own.isNull() ? StandInIcon(tool.iconId, this) : own;
        button->SetIconHandles(icon, icon, kIconSize, kIconSize);
        button->SetShowText(false);
        button->setToolTip(QString::fromLatin1(tool.tip));
        button->setAccessibleName(QString::fromLatin1(tool.tip));
        buttons->addWidget(button);
        (tool.id == kZoomInId           ? m_zoomIn
                : tool.id == kZoomOutId ? m_zoomOut
                : tool.id == kPanId     ? m_pan
                                        : m_restore)
            = button;
    }
    buttons->addStretch(1);
    m_showPreview = new QCheckBox(QStringLiteral("Show preview"), pane);
    SetDlgCtrlID(m_showPreview, kShowPreviewId);

    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(place, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_showPreview);
    if (auto* grid = qobject_cast<QGridLayout*>(QFileDialog::layout()))
        grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1);
    else
        QFileDialog::layout()->addWidget(pane);

    connect(m_zoomIn, &QPushButton::clicked, this, &CImageOpenDialog::OnZoomIn);
    connect(m_zoomOut, &QPushButton::clicked, this, &CImageOpenDialog::OnZoomOut);
    connect(m_pan, &QPushButton::clicked, this, &CImageOpenDialog::OnPan);
    connect(m_restore, &QPushButton::clicked, this, &CImageOpenDialog::OnRestore);
    connect(m_showPreview, &QCheckBox::toggled, this, &CImageOpenDialog::OnShowPreview);
}

int CImageOpenDialog::ImageTypeOf(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == u"jpg" || extension == u"jpeg")
        return IMAGE_TYPE_JPEG;
    if (extension == u"gif")
        return IMAGE_TYPE_GIF;
    if (extension == u"png")
        return IMAGE_TYPE_PNG;
    if (extension == u"bmp")
        return IMAGE_TYPE_BMP;
    return IMAGE_TYPE_UNKNOWN;
}

std::unique_ptr<CImageFile> CImageOpenDialog::ReadPicture(const QString& path, QString* reason) const
{
    const QFileInfo info(path);
    const int type = ImageTypeOf(path);
    const QString name = QDir::toNativeSeparators(path);
    if (type == IMAGE_TYPE_UNKNOWN) {
        *reason = QStringLiteral("\"%1\" is not a picture file. Tolva shows BMP, GIF, JPEG and PNG pictures.")
                      .arg(name);
        return nullptr;
    }
    if (!info.isFile()) {
        *reason = QStringLiteral("The file \"%1\" does not exist.").arg(name);
        return nullptr;
    }
    CRegularFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("The file \"%1\" cannot be read: %2").arg(name, file.errorString());
        return nullptr;
    }
    file.close();
    auto image = std::make_unique<CImageFile>(path.toStdString(), type);
    if (image->GetWidth() <= 0 || image->GetHeight() <= 0) {
        *reason
            = QStringLiteral("\"%1\" could not be read as a picture: the file is damaged or of another kind.")
                  .arg(name);
        return nullptr;
    }
    return image;
}

void CImageOpenDialog::OnSelChange(const QString& path)
{
    m_strSelection = path;
    if (!IsPreviewOn() || path.isEmpty() || QFileInfo(path).suffix().isEmpty()
        || ImageTypeOf(path) == IMAGE_TYPE_UNKNOWN)
        return;
    QString reason;
    if (auto image = ReadPicture(path, &reason))
        m_preview->SetImage(std::move(image));
}

void CImageOpenDialog::ShowFile(const std::string& path, int type)
{
    if (!IsPreviewOn()) {
        m_preview->SetFile(std::string(), IMAGE_TYPE_UNKNOWN);
        return;
    }
    auto image = std::make_unique<CImageFile>(
        path, type == IMAGE_TYPE_UNKNOWN ? ImageTypeOf(QString::fromStdString(path)) : type);
    if (image->GetWidth() > 0 && image->GetHeight() > 0)
        m_preview->SetImage(std::move(image));
}

void CImageOpenDialog::accept()
{
    const QString path = selectedFiles().value(0);
    // A folder is opened, as the file dialog does.
    if (path.isEmpty() || QFileInfo(path).isDir()) {
        QFileDialog::accept();
        return;
    }
    QString reason;
    auto image = ReadPicture(path, &reason);
    if (!image) {
        MsgStopText(reason.toStdString(), this);
        return;
    }
    m_preview->SetImage(std::move(image));
    QFileDialog::accept();
}

int CImageOpenDialog::DoModal()
{
    m_pImage.reset();
    if (exec() != QDialog::Accepted)
        return IDCANCEL;
    m_pImage = m_preview->DetachImage();
    return m_pImage ? IDOK : IDCANCEL;
}

std::unique_ptr<CImageFile> CImageOpenDialog::DetachImage()
{
    return std::move(m_pImage);
}

void CImageOpenDialog::SetZoom(float zoom)
{
    m_fZoom = std::clamp(zoom, CImageViewWnd::kMinZoom, CImageViewWnd::kMaxZoom);
    m_preview->SetZoom(m_fZoom);
}

void CImageOpenDialog::OnZoomIn()
{
    SetZoom(m_fZoom * kZoomInStep);
}

void CImageOpenDialog::OnZoomOut()
{
    SetZoom(m_fZoom * kZoomOutStep);
}

void CImageOpenDialog::OnPan()
{
}

void CImageOpenDialog::OnRestore()
{
    SetZoom(1.0f);
}

void CImageOpenDialog::OnShowPreview(bool on)
{
    m_dwImageDlg = on ? m_dwImageDlg | kPreviewOn : m_dwImageDlg & ~kPreviewOn;
    if (on)
        OnSelChange(m_strSelection);
    else
        m_preview->SetFile(std::string(), IMAGE_TYPE_UNKNOWN);
}
