#include "print/ui/labeloptionsdlg.h"

#include "controls/contexthelp.h"
#include "controls/fontcolordialog.h"
#include "core/utilities.h"
#include "platform/fontconv.h"
#include "platform/profile.h"
#include "platform/ui/window.h"
#include "print/labelfile.h"
#include "print/printman.h"
#include "print/ui/labeldefdlg.h"
#include "print/ui/printsetup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr u32 IDS_LABEL_LAYOUT = 59592;  // "%d x %d (Rows x Columns)"

QString LayoutText(const LabelDefinition& l)
{
    std::string text = LoadResString(IDS_LABEL_LAYOUT);
    return QString::asprintf(text.c_str(), int(l.m_wRows), int(l.m_wColumns));
}

}  // namespace

void CDialogLabelOptions::ApplySavedLabel(PrintMan& pm)
{
    LabelDefinitionArray labels;
    {
        // Without a window nothing is said; a broken file just gives no sheet.
        RecordingMessageSink quiet;
        ScopedMessageSink scope(quiet);
        LoadStandardLabels(labels);
        LoadCustomLabels(labels);
    }
    const int pos = Profile::GetInt(kPrintManSection, kLabelListPosEntry, -1);
    if (pos >= 0 && size_t(pos) < labels.size())
        pm.m_Label.CopyFrom(labels[size_t(pos)]);
}

CDialogLabelOptions::CDialogLabelOptions(
    PrintMan& printMan, const Contact* contact, bool optionsOnly, const MeasureUnit& unit, QWidget* parent)
    : CPrintOptionsDialog(kTemplateId, optionsOnly, QStringLiteral("Previe&w"), parent)
    , m_pm(printMan)
    , m_contact(contact)
    , m_unit(unit)
{
    setWindowTitle(QStringLiteral("Label options"));
    Caption()->setText(QStringLiteral("Select label size and enter address to be printed on the label"));
    QWidget* f = Frame();
    auto info = [f](int id) {
        auto* label = new QLabel(f);
        SetDlgCtrlIDAndName(label, id);
        return label;
    };
    m_list = new QListWidget(f);
    SetDlgCtrlIDAndName(m_list, 1633);
    m_list->setMinimumWidth(m_list->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 50);
    m_address = new QPlainTextEdit(f);
    SetDlgCtrlIDAndName(m_address, 1013);
    m_address->setReadOnly(true);
    m_address->setTabChangesFocus(true);
    m_new = MakeButton(QStringLiteral("&New"), 1612);
    m_details = MakeButton(QStringLiteral("&Details"), 1613);
    m_delete = MakeButton(QStringLiteral("Del&ete"), 1614);
    auto* font = MakeButton(QStringLiteral("&Font"), 1561);
    m_format = MakeButton(QStringLiteral("Address for&mat"), 1577);
    m_contactFormat = new QCheckBox(QStringLiteral("&Use contact's\naddress format"), f);
    SetDlgCtrlIDAndName(m_contactFormat, 1645);
    EnableContextHelp(this,
        {{1633, 1240}, {1013, 1241}, {1612, 1242}, {1613, 1243}, {1614, 1244}, {1561, 1245}, {1577, 1246},
            {1645, 1247}, {1575, 1248}});
    m_new->setEnabled(!optionsOnly);
    m_details->setEnabled(!optionsOnly);
    m_height = info(1626);
    m_width = info(1627);
    m_pageSize = info(1631);
    m_layout = info(1632);

    auto* infoGroup = new QGroupBox(QStringLiteral("Label Information"), f);
    auto* ig = new QGridLayout(infoGroup);
    ig->addWidget(new QLabel(QStringLiteral("Height:"), infoGroup), 0, 0);
    ig->addWidget(m_height, 0, 1);
    ig->addWidget(new QLabel(QStringLiteral("Width:"), infoGroup), 1, 0);
    ig->addWidget(m_width, 1, 1);
    ig->addWidget(new QLabel(QStringLiteral("Page size:"), infoGroup), 2, 0);
    ig->addWidget(m_pageSize, 2, 1);
    ig->addWidget(new QLabel(QStringLiteral("Layout:"), infoGroup), 3, 0);
    ig->addWidget(m_layout, 3, 1);
    ig->setColumnStretch(1, 1);
    auto* sheetButtons = new QHBoxLayout;
    sheetButtons->addWidget(m_new);
    sheetButtons->addWidget(m_details);
    sheetButtons->addWidget(m_delete);
    sheetButtons->addStretch();
    auto* addressButtons = new QHBoxLayout;
    addressButtons->addWidget(font);
    addressButtons->addWidget(m_format);
    addressButtons->addWidget(m_contactFormat);
    auto* layout = new QGridLayout(f);
    layout->addWidget(m_list, 0, 0, 2, 1);
    layout->addWidget(infoGroup, 0, 1);
    layout->addWidget(m_address, 1, 1);
    layout->addLayout(sheetButtons, 2, 0);
    layout->addLayout(addressButtons, 2, 1);
    layout->addLayout(EndButtons(), 3, 0, 1, 2);

    m_editLabel = [this](LabelDefinition& label, bool isNew) {
        CDialogLabelDef dialog(label, isNew, m_unit, this);
        if (dialog.DoModal() != IDOK || !dialog.New())
            return false;
        label = dialog.Definition();
        return true;
    };
    connect(m_list, &QListWidget::currentRowChanged, this, &CDialogLabelOptions::ShowSelected);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (!m_optionsOnly)
            OnDetails();
    });
    connect(m_new, &QPushButton::clicked, this, &CDialogLabelOptions::OnNew);
    connect(m_details, &QPushButton::clicked, this, &CDialogLabelOptions::OnDetails);
    connect(m_delete, &QPushButton::clicked, this, &CDialogLabelOptions::OnDelete);
    connect(m_contactFormat, &QCheckBox::toggled, this, [this](bool on) {
        m_format->setEnabled(!on && m_chooseFormat != nullptr);
        UpdatePreview();
    });
    connect(m_format, &QPushButton::clicked, this, [this] {
        if (m_contact && m_chooseFormat && m_chooseFormat(m_formatIndex, this))
            UpdatePreview();
    });
    connect(font, &QPushButton::clicked, this, [this] { ChooseFont(m_font, m_color, m_address); });
}

QLabel* CDialogLabelOptions::Info(int id) const
{
    for (QLabel* label : {m_height, m_width, m_pageSize, m_layout})
        if (label->objectName() == QStringLiteral("ctl%1").arg(id))
            return label;
    return nullptr;
}

bool CDialogLabelOptions::OnInitDialog()
{
    m_pm.m_Printmode = PM_LABELS;
    m_font = *m_pm.GetFont(PTE_LABEL);
    m_color = m_pm.GetColor(PTE_LABEL);
    ShowFont(m_address, m_font, m_color);
    // What a file held before it failed stays listed, and the user's own
    // sheets are there even without the standard ones.
    LoadStandardLabels(m_labels);
    m_customReadWhole = LoadCustomLabels(m_labels);
    for (size_t i = 0; i < m_labels.size(); ++i)
        AddEntry(i);
    const int pos = Profile::GetInt(kPrintManSection, kLabelListPosEntry, -1);
    if (pos >= 0 && size_t(pos) < m_labels.size())
        SelectIndex(size_t(pos));
    else
        m_list->setCurrentRow(0);
    m_contactFormat->setChecked(m_pm.m_Flags1 & PF_LABEL_CONTACT_FORMAT);
    m_format->setEnabled(!m_contactFormat->isChecked() && m_chooseFormat != nullptr);
    m_formatIndex = m_pm.m_LabelFields;
    ShowSelected();
    UpdatePreview();
    return CFramedDialog::OnInitDialog();
}

void CDialogLabelOptions::AddEntry(size_t index)
{
    auto* item = new QListWidgetItem(QString::fromStdString(LabelListText(m_labels[index])));
    item->setData(Qt::UserRole, qulonglong(index));
    m_list->addItem(item);
}

int CDialogLabelOptions::SelectedIndex() const
{
    const QListWidgetItem* item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : -1;
}

void CDialogLabelOptions::SelectIndex(size_t index)
{
    for (int row = 0; row < m_list->count(); ++row)
        if (m_list->item(row)->data(Qt::UserRole).toULongLong() == index)
            m_list->setCurrentRow(row);
}

void CDialogLabelOptions::ShowSelected()
{
    const int index = SelectedIndex();
    const bool have = index >= 0;
    m_delete->setEnabled(have && !m_optionsOnly && m_labels[size_t(index)].m_wMaker == LABEL_CUSTOM);
    if (!have) {
        for (QLabel* label : {m_height, m_width, m_pageSize, m_layout})
            label->clear();
        return;
    }
    const LabelDefinition& l = m_labels[size_t(index)];
    m_height->setText(QString::fromStdString(FormatMeasure(TwipsToUnit(l.m_wHeight, m_unit), m_unit)));
    m_width->setText(QString::fromStdString(FormatMeasure(TwipsToUnit(l.m_wWidth, m_unit), m_unit)));
    m_layout->setText(LayoutText(l));
    const LabelPaper* paper = FindLabelPaper(l.m_wPaper);
    QString page = paper ? QString::fromUtf8(LoadResString(paper->textId)) : QString();
    if (!m_unit.separator.empty() && m_unit.separator != ".")
        page.replace(QLatin1Char('.'), QString::fromStdString(m_unit.separator));
    m_pageSize->setText(page);
}

void CDialogLabelOptions::UpdatePreview()
{
    if (!m_contact)
        return;
    const std::string text
        = AddressTextForContact(*m_contact, m_contactFormat->isChecked(), m_formatIndex, m_pm.Formats());
    m_address->setPlainText(
        QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void CDialogLabelOptions::OnNew()
{
    const int index = SelectedIndex();
    if (index < 0 || m_optionsOnly)
        return;
    if (!MayChangeCustomLabels())
        return;
    LabelDefinition label = m_labels[size_t(index)];
    label.SetName("");
    label.m_wMaker = LABEL_CUSTOM;
    if (!m_editLabel(label, true))
        return;
    m_labels.push_back(label);
    AddEntry(m_labels.size() - 1);
    SaveCustomLabels(m_labels);
    SelectIndex(m_labels.size() - 1);
}

void CDialogLabelOptions::OnDetails()
{
    const int index = SelectedIndex();
    if (index < 0 || m_optionsOnly)
        return;
    LabelDefinition label = m_labels[size_t(index)];
    if (!m_editLabel(label, false) || !MayChangeCustomLabels())
        return;
    if (m_labels[size_t(index)].m_wMaker != LABEL_CUSTOM) {
        // A changed standard sheet stays as it was; the change is a new sheet.
        m_labels.push_back(label);
        AddEntry(m_labels.size() - 1);
        SelectIndex(m_labels.size() - 1);
    } else {
        m_labels[size_t(index)] = label;
        m_list->currentItem()->setText(QString::fromStdString(LabelListText(label)));
    }
    SaveCustomLabels(m_labels);
    ShowSelected();
}

void CDialogLabelOptions::OnDelete()
{
    const int index = SelectedIndex();
    if (index < 0 || m_optionsOnly || m_labels[size_t(index)].m_wMaker != LABEL_CUSTOM
        || !MayChangeCustomLabels())
        return;
    delete m_list->takeItem(m_list->currentRow());
    m_labels.erase(m_labels.begin() + index);
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem* item = m_list->item(row);
        const int data = item->data(Qt::UserRole).toInt();
        if (data > index)
            item->setData(Qt::UserRole, data - 1);
    }
    SaveCustomLabels(m_labels);
    ShowSelected();
}

bool CDialogLabelOptions::MayChangeCustomLabels()
{
    if (!m_customReadWhole)
        RefuseCustomLabelChange(this);
    return m_customReadWhole;
}

void CDialogLabelOptions::SaveChoices()
{
    m_pm.SetFont(PTE_LABEL, m_font);
    m_pm.SetColor(PTE_LABEL, m_color);
    const int index = SelectedIndex();
    if (index >= 0) {
        Profile::WriteInt(kPrintManSection, kLabelListPosEntry, index);
        m_pm.m_Label.CopyFrom(m_labels[size_t(index)]);
    }
    SetFlag(m_pm.m_Flags1, PF_LABEL_CONTACT_FORMAT, m_contactFormat->isChecked());
    m_pm.m_LabelFields = m_formatIndex;
}
