#include "impexp/ui/dialogchangemapping.h"

#include "controls/contexthelp.h"
#include "core/utilities.h"
#include "impexp/iefieldsmodel.h"
#include "platform/ui/window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr const char* kSpecifyField = "Please specify a field";

}  // namespace

CDialogChangeMapping::CDialogChangeMapping(u32 fieldId, const std::string& textField, QWidget* parent)
    : CFramedDialog(IDD_CHANGE_MAPPING, parent)
    , m_nFieldId(fieldId)
    , m_strTextField(textField)
    , m_name(new QLabel(Frame()))
    , m_fields(new QComboBox(Frame()))
{
    setWindowTitle(QStringLiteral("Change Mapping"));
    Caption()->setText(QStringLiteral("Change Mapping"));
    SetDlgCtrlID(m_name, IDC_MAPPING_NAME);
    SetDlgCtrlID(m_fields, IDC_MAPPING_FIELDS);
    EnableContextHelp(this, {{IDC_MAPPING_NAME, 1233}, {IDC_MAPPING_FIELDS, 1234}});
    auto* prompt = new QLabel(QStringLiteral("Select Tolva &field for the text field"), Frame());
    prompt->setBuddy(m_fields);
    m_name->setTextFormat(Qt::PlainText);
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Frame());
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogChangeMapping::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDialogChangeMapping::reject);
    auto* layout = new QVBoxLayout(Frame());
    layout->addWidget(prompt);
    layout->addWidget(m_name);
    layout->addWidget(m_fields);
    layout->addStretch(1);
    layout->addWidget(buttons);
    m_fields->setMinimumContentsLength(28);
}

bool CDialogChangeMapping::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    m_name->setText(QString::fromStdString(m_strTextField));
    m_fields->clear();
    int selected = 0;
    for (const auto& [id, caption] : IEFieldsModel::MappingChoices()) {
        if (id == m_nFieldId)
            selected = m_fields->count();
        m_fields->addItem(QString::fromStdString(caption), id);
    }
    m_fields->setCurrentIndex(selected);
    m_fields->setFocus();
    return false;
}

void CDialogChangeMapping::OnOK()
{
    if (m_fields->currentIndex() < 0) {
        MsgWarningText(kSpecifyField, this);
        return;
    }
    m_nFieldId = m_fields->currentData().toUInt();
    m_strFieldName = m_fields->currentText().toStdString();
    EndDialog(IDOK);
}
