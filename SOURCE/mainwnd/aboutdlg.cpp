#include "mainwnd/aboutdlg.h"

#include "controls/flatbutton.h"
#include "controls/linkstatic.h"
#include "platform/msgbox.h"
#include "platform/ui/resources.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"
#include "platform/wintypes.h"
#include "tolvaversion.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace {

constexpr int IDB_ABOUT = 317;
constexpr int IDI_PROGRAM = 128;
constexpr const char* kWebPage = "https://tolva.example.org/";
constexpr const char* kProductName = "Tolva";
constexpr const char* kTagLine = "Your address book";
constexpr COLORREF kVersionBrush = RGB(144, 198, 139);
constexpr int kVersionPoints = 10;

}  // namespace

CDialogAbout::CDialogAbout(QWidget* parent)
    : QDialog(parent)
    , m_link(new CLinkStatic(QString::fromLatin1(kWebPage), this))
    , m_ok(new CFlatButton(tr("OK"), this))
    , m_version(new QLabel(QStringLiteral("v.") + QString::fromLatin1(kVersionText), this))
{
    setObjectName(QStringLiteral("dlg%1").arg(kTemplateId));
    SetDlgCtrlID(m_link, kLinkId);
    SetDlgCtrlID(m_version, kVersionId);
    SetDlgCtrlID(m_ok, IDOK);
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(LoadBitmapResource(IDB_ABOUT)));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* name = new QLabel(QString::fromLatin1(kProductName), this);
    QFont large = name->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.5);
    name->setFont(large);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    const int dx = DialogUnitsToPixelsX(this, 7);
    const int dy = DialogUnitsToPixelsY(this, 7);
    layout->setContentsMargins(dx, dy, dx, dy);
    layout->setHorizontalSpacing(dx);
    layout->addWidget(picture, 0, 0, 4, 1);
    layout->addWidget(name, 0, 1);
    layout->addWidget(m_version, 1, 1, Qt::AlignLeft);
    layout->addWidget(new QLabel(QString::fromLatin1(kTagLine), this), 2, 1);
    layout->addWidget(m_link, 3, 1);
    layout->addWidget(line, 4, 0, 1, 2);
    layout->addWidget(m_ok, 5, 0, 1, 2, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CDialogAbout::showEvent(QShowEvent* event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

bool CDialogAbout::OnInitDialog()
{
    m_link->SetLink(kWebPage);
    QFont bold = m_version->font();
    if (QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
        bold.setFamily(QStringLiteral("Tahoma"));
    bold.setPointSize(kVersionPoints);
    bold.setWeight(QFont::Bold);
    m_version->setFont(bold);
    // The brush is a fixed light green, so the text on it is fixed dark
    // whatever the palette, or it would not read in a dark one.
    QPalette pal = m_version->palette();
    pal.setColor(QPalette::Window, ColorFromRef(kVersionBrush));
    pal.setColor(QPalette::WindowText, Qt::black);
    m_version->setPalette(pal);
    m_version->setAutoFillBackground(true);
    const int pad = DialogUnitsToPixelsX(this, 2);
    m_version->setContentsMargins(pad, 0, pad, 0);
    setWindowTitle(QString::fromLatin1(kProductName));
    setWindowIcon(LoadIconResource(IDI_PROGRAM));
    return true;
}
