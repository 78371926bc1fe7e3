#include "editing/bookprops.h"

#include "controls/contexthelp.h"
#include "controls/flatbutton.h"
#include "core/utilities.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/resources.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>

namespace {

constexpr u32 IDS_NAME_MISSING = 59523;
constexpr QRgb kMaskColour = qRgb(255, 0, 255);
// The description edit's least size, in dialog units.
constexpr int kDescriptionWidth = 160;
constexpr int kDescriptionHeight = 44;

}  // namespace

CDialogBookProps::CDialogBookProps(QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_icon(new QLabel(Frame()))
    , m_name(new QLineEdit(Frame()))
    , m_description(new QPlainTextEdit(Frame()))
    , m_info(new QLabel(Frame()))
    , m_ok(new CFlatButton(QStringLiteral("OK"), Frame()))
    , m_cancel(new CFlatButton(QStringLiteral("Cancel"), Frame()))
{
    SetDlgCtrlID(m_icon, kIconId);
    SetDlgCtrlID(m_name, kNameId);
    SetDlgCtrlID(m_description, kDescriptionId);
    SetDlgCtrlID(m_info, kInfoId);
    SetDlgCtrlID(m_ok, IDOK);
    SetDlgCtrlID(m_cancel, IDCANCEL);
    Caption()->setText(QStringLiteral("Properties of this book"));
    m_icon->setFixedSize(kIconSize, kIconSize);
    m_name->setMaxLength(kNameLimit);
    m_description->setTabChangesFocus(true);
    m_description->setMinimumWidth(DialogUnitsToPixelsX(this, kDescriptionWidth));
    m_description->setFixedHeight(DialogUnitsToPixelsY(this, kDescriptionHeight));
    m_info->setWordWrap(true);
    m_ok->setDefault(true);

    auto* nameLabel = new QLabel(QStringLiteral("&Name:"), Frame());
    nameLabel->setBuddy(m_name);
    auto* descriptionLabel = new QLabel(QStringLiteral("&Description:"), Frame());
    descriptionLabel->setBuddy(m_description);
    auto* fields = new QGridLayout;
    fields->addWidget(m_icon, 0, 0, Qt::AlignCenter);
    fields->addWidget(nameLabel, 0, 1);
    fields->addWidget(m_name, 0, 2);
    fields->addWidget(descriptionLabel, 1, 1, Qt::AlignTop);
    fields->addWidget(m_description, 1, 2);
    fields->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(Frame());
    layout->addLayout(fields);
    layout->addWidget(m_info);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    EnableContextHelp(this, {{kDescriptionId, 1069}, {kNameId, 1070}});
}

QPixmap CDialogBookProps::BookIcon(int index, const QWidget* widget)
{
    static const ImageList icons = [] {
        ImageList list(QSize(kIconSize, kIconSize));
        list.Add(LoadBitmapResource(kIconBitmapId), kMaskColour);
        return list;
    }();
    if (index >= 0 && index < icons.Count())
        return icons.Image(index);
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QStyle::StandardPixmap standIn = index == 0 ? QStyle::SP_DirHomeIcon
        : index == 2                                  ? QStyle::SP_TrashIcon
                                                      : QStyle::SP_DirIcon;
    return style->standardIcon(standIn, nullptr, widget).pixmap(kIconSize, kIconSize);
}

bool CDialogBookProps::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    setWindowTitle((QString::fromStdString(m_strTitle) + QStringLiteral(" Properties")).trimmed());
    m_name->setText(QString::fromStdString(m_strTitle));
    m_description->setPlainText(QString::fromStdString(m_strDescription));
    m_info->setText(QString::fromStdString(m_strInfo));
    m_info->setVisible(!m_strInfo.empty());
    m_icon->setPixmap(BookIcon(m_nIcon, this));
    m_name->setReadOnly(m_bReadOnlyName);
    m_name->setFocus();
    m_name->selectAll();
    return true;
}

void CDialogBookProps::OnOK()
{
    const QString name = m_name->text().trimmed();
    // A book without a name could not be told apart in the tree.
    if (!m_bReadOnlyName && name.isEmpty()) {
        MsgStop(IDS_NAME_MISSING, this);
        m_name->setFocus();
        return;
    }
    if (!m_bReadOnlyName)
        m_strName = name.toStdString();
    m_strDescription = m_description->toPlainText().toStdString();
    EndDialog(IDOK);
}
