#include "editing/contactadvancedpage.h"

#include "controls/fontcolordialog.h"
#include "core/fontutil.h"
#include "core/userman.h"
#include "editing/contactpropsdlg.h"
#include "platform/fontconv.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr u32 kDefaultBits = CDF_DEFAULT_FONT | CDF_DEFAULT_TEXT_COLOR | CDF_DEFAULT_BK_COLOR;

// The font dialog offers one size only: a contact's row takes the list's
// height, so only its face and style are the contact's own. The dialog
// refills its size list whenever the face or style changes; each refill
// is cut back to the one size.
void LimitFontSizes(QFontDialog& dialog, int points)
{
    const QString only = QString::number(points);
    QLineEdit* sizeEdit = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->text() == QStringLiteral("&Size"))
            sizeEdit = qobject_cast<QLineEdit*>(label->buddy());
    QListView* sizeList = nullptr;
    for (QListView* list : dialog.findChildren<QListView*>()) {
        const QVariant first = list->model() ? list->model()->index(0, 0).data() : QVariant();
        bool number = false;
        first.toString().toInt(&number);
        if (number)
            sizeList = list;
    }
    auto* model = sizeList ? qobject_cast<QStringListModel*>(sizeList->model()) : nullptr;
    if (!sizeEdit || !model)
        return;
    sizeEdit->setReadOnly(true);
    const auto limit = [model, sizeList, sizeEdit, only] {
        if (model->stringList() != QStringList{only})
            model->setStringList({only});
        sizeList->setCurrentIndex(model->index(0, 0));
        if (sizeEdit->text() != only)
            sizeEdit->setText(only);
    };
    QObject::connect(model, &QAbstractItemModel::modelReset, &dialog, limit, Qt::QueuedConnection);
    limit();
}

}  // namespace

CContactAdvancedPage::CContactAdvancedPage(CDialogContactProps* host)
    // The relations list and its buttons are not built, so they have no help.
    : CContactPage(host, 1353, QT_TR_NOOP("Advanced properties of this contact"),
        {{1302, 1098}, {1303, 1099}, {1361, 1100}, {1430, 1152}, {0, 0}})
    , m_preview(new QLabel(Body()))
    , m_fontButton(new QPushButton(tr("&Font"), Body()))
    , m_backButton(new QPushButton(tr("&Background"), Body()))
    , m_defaultButton(new QPushButton(tr("&Default"), Body()))
{
    SetDlgCtrlID(m_preview, 1361);
    SetDlgCtrlID(m_fontButton, 1302);
    SetDlgCtrlID(m_backButton, 1303);
    SetDlgCtrlID(m_defaultButton, 1430);
    m_preview->setAutoFillBackground(true);
    m_preview->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_preview->setMinimumHeight(DialogUnitsToPixelsY(this, 30));

    QGridLayout* grid = Grid();
    auto* title = new QLabel(tr("Appearance in the contact list"), Body());
    grid->addWidget(title, 0, 0, 1, 2);
    grid->addWidget(m_preview, 1, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_fontButton);
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_defaultButton);
    buttons->addStretch(1);
    grid->addLayout(buttons, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(2, 1);

    connect(m_fontButton, &QPushButton::clicked, this, &CContactAdvancedPage::OnFont);
    connect(m_backButton, &QPushButton::clicked, this, &CContactAdvancedPage::OnBackground);
    connect(m_defaultButton, &QPushButton::clicked, this, &CContactAdvancedPage::OnDefault);
}

LOGFONT CContactAdvancedPage::ListFont() const
{
    const LOGFONT* font = Host()->GetUserMan().GetFont(UFK_LIST);
    return font ? *font : DesktopFont();
}

void CContactAdvancedPage::LoadFrom(Contact& contact)
{
    const UserMan& um = Host()->GetUserMan();
    m_dwFlags = contact.m_dwDisplayFlags;
    m_font = (m_dwFlags & CDF_DEFAULT_FONT) ? ListFont() : contact.m_font;
    m_crText = (m_dwFlags & CDF_DEFAULT_TEXT_COLOR) ? um.GetColor(UC_LIST_TEXT) : contact.m_crText;
    m_crBack = (m_dwFlags & CDF_DEFAULT_BK_COLOR) ? um.GetColor(UC_LIST_BACK) : contact.m_crBack;
    // Rows are all of one height: only face and style are the contact's.
    m_font.lfHeight = ListFont().lfHeight;
    m_bChanged = false;
    ShowPreview();
}

void CContactAdvancedPage::ShowPreview()
{
    m_preview->setText(
        QStringLiteral("  ") + QString::fromStdString(FormatFontName(m_font, ScreenLogicalDpi())));
    QFont font = QFontFromLogFont(m_font);
    m_preview->setFont(font);
    QPalette palette = m_preview->palette();
    palette.setColor(QPalette::Window, ColorFromRef(m_crBack));
    palette.setColor(QPalette::WindowText, ColorFromRef(m_crText));
    m_preview->setPalette(palette);
}

void CContactAdvancedPage::OnFont()
{
    CFontColorDialog dialog(&m_font, m_crText, this);
    const double dpi = ScreenLogicalDpi();
    LimitFontSizes(dialog, std::max(1, int(std::lround(std::abs(ListFont().lfHeight) * 72.0 / dpi))));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const i32 height = m_font.lfHeight;
    m_font = dialog.GetLogFont();
    m_font.lfHeight = height;
    m_dwFlags &= ~CDF_DEFAULT_FONT;
    if (dialog.GetColor() != m_crText) {
        m_crText = dialog.GetColor();
        m_dwFlags &= ~CDF_DEFAULT_TEXT_COLOR;
    }
    m_bChanged = true;
    ShowPreview();
}

void CContactAdvancedPage::OnBackground()
{
    const QColor colour = QColorDialog::getColor(ColorFromRef(m_crBack), this);
    if (!colour.isValid() || RefFromColor(colour) == m_crBack)
        return;
    m_crBack = RefFromColor(colour);
    m_dwFlags &= ~CDF_DEFAULT_BK_COLOR;
    m_bChanged = true;
    ShowPreview();
}

void CContactAdvancedPage::OnDefault()
{
    const UserMan& um = Host()->GetUserMan();
    m_font = ListFont();
    m_crText = um.GetColor(UC_LIST_TEXT);
    m_crBack = um.GetColor(UC_LIST_BACK);
    m_dwFlags |= kDefaultBits;
    m_bChanged = true;
    ShowPreview();
}

void CContactAdvancedPage::StoreInto(Contact& contact) const
{
    // Unchanged, the contact keeps its own font and colours as stored.
    if (!m_bChanged)
        return;
    contact.m_font = m_font;
    contact.m_crText = m_crText;
    contact.m_crBack = m_crBack;
    // Only the default bits are the page's; the print mark stays.
    contact.m_dwDisplayFlags = (contact.m_dwDisplayFlags & ~kDefaultBits) | (m_dwFlags & kDefaultBits);
}
