#include "editing/imageopendialog.h"

#include "controls/flatbutton.h"
#include "core/utilities.h"
#include "editing/imageviewwnd.h"
#include "platform/profile.h"
#include "platform/ui/window.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

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
// The size the dialog opens at, in characters and lines of its font.
constexpr int kOpenWidthChars = 150;
constexpr int kOpenHeightLines = 30;

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
    FitColumns();
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
        button->SetIcon(tool.iconId, tool.iconId, kIconSize, kIconSize);
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

void CImageOpenDialog::FitColumns()
{
    // The list shows every column whole: Size and Type take what their
    // texts need, the name the rest. The dialog opens wide enough for a
    // name of 40 characters beside them, the places and the preview.
    setViewMode(QFileDialog::Detail);
    auto* list = findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!list)
        return;
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    const QFontMetrics metrics = fontMetrics();
    resize(metrics.averageCharWidth() * kOpenWidthChars, metrics.height() * kOpenHeightLines);
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
    if (!info.exists()) {
        *reason = QStringLiteral("The file \"%1\" does not exist.").arg(name);
        return nullptr;
    }
    auto image = std::make_unique<CImageFile>(path.toStdString(), type);
    if (image->GetWidth() <= 0 || image->GetHeight() <= 0) {
        *reason = QStringLiteral("\"%1\" cannot be shown as a picture: %2.")
                      .arg(name, CImageViewWnd::WhyNotShown(path.toStdString(), *image));
        return nullptr;
    }
    return image;
}

void CImageOpenDialog::OnSelChange(const QString& path)
{
    m_strSelection = path;
    if (!IsPreviewOn() || path.isEmpty() || QFileInfo(path).suffix().isEmpty()
        || ImageTypeOf(path) == IMAGE_TYPE_UNKNOWN || !QFileInfo::exists(path) || QFileInfo(path).isDir())
        return;
    // A file that cannot be shown says so, rather than leaving the
    // previous picture to look like this one.
    auto image = std::make_unique<CImageFile>(path.toStdString(), ImageTypeOf(path));
    if (image->GetWidth() > 0 && image->GetHeight() > 0) {
        m_preview->SetImage(std::move(image));
        return;
    }
    m_preview->SetFile(std::string(), IMAGE_TYPE_UNKNOWN);
    m_preview->SetMessage(QStringLiteral("This file cannot be shown: %1.")
                              .arg(CImageViewWnd::WhyNotShown(path.toStdString(), *image)));
}

void CImageOpenDialog::ShowFile(const std::string& path, int type)
{
    // The dialog opens at the picture, so Open takes it as it is.
    if (!path.empty())
        selectFile(QString::fromStdString(path));
    if (!IsPreviewOn()) {
        m_preview->SetFile(std::string(), IMAGE_TYPE_UNKNOWN);
        return;
    }
    // A picture that cannot be shown says why.
    m_preview->SetFile(path, type == IMAGE_TYPE_UNKNOWN ? ImageTypeOf(QString::fromStdString(path)) : type);
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
