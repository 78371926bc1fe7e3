#include "print/ui/labeldefdlg.h"

#include "controls/contexthelp.h"
#include "core/utilities.h"
#include "platform/ui/window.h"
#include "print/labelfile.h"
#include "print/ui/measureedit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

constexpr int kNameLimit = 32;
constexpr u16 kDialogGroup = 1;
constexpr u16 kDialogFlagsPortrait = 17;
constexpr u16 kDialogFlagsLandscape = 18;

}  // namespace

CDialogLabelDef::CDialogLabelDef(
    const LabelDefinition& label, bool isNew, const MeasureUnit& unit, QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_def(label)
    , m_bNew(isNew)
    , m_unit(unit)
    , m_name(new QLineEdit(Frame()))
    , m_rows(new QSpinBox)
    , m_columns(new QSpinBox)
    , m_paper(new QComboBox)
{
    QWidget* f = Frame();
    SetDlgCtrlIDAndName(m_name, 1623);
    m_name->setMaxLength(kNameLimit);
    SetDlgCtrlIDAndName(m_rows, 1615);
    SetDlgCtrlIDAndName(m_columns, 1616);
    SetDlgCtrlIDAndName(m_paper, 1634);
    // Rows and columns are spin boxes: their arrows are part of the edit.
    EnableContextHelp(this,
        {{1623, 1250}, {1617, 1251}, {1606, 1251}, {1618, 1252}, {1607, 1252}, {1619, 1253}, {1608, 1253},
            {1620, 1254}, {1609, 1254}, {1615, 1255}, {1616, 1256}, {1621, 1257}, {1610, 1257}, {1622, 1258},
            {1611, 1258}, {1634, 1259}});
    for (QSpinBox* s : {m_rows, m_columns})
        s->setRange(1, 256);
    for (const LabelPaper& paper : kLabelPaperTable)
        m_paper->addItem(QString::fromUtf8(LoadResString(paper.textId)), paper.code);
    const char* texts[MEASURE_COUNT]
        = {"&Height:", "&Width:", "Row s&pacing:", "Column spa&cing:", "&Top margin:", "&Left margin:"};
    const int ids[MEASURE_COUNT][2]
        = {{1617, 1606}, {1618, 1607}, {1619, 1608}, {1620, 1609}, {1621, 1610}, {1622, 1611}};
    auto* grid = new QGridLayout;
    auto* nameLabel = new QLabel(QStringLiteral("Label &name:"), f);
    nameLabel->setBuddy(m_name);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_name, 0, 1, 1, 3);
    for (int i = 0; i < MEASURE_COUNT; ++i) {
        m_measures[size_t(i)] = new CMeasureEdit(ids[i][0], ids[i][1], unit, f);
        m_captions[size_t(i)] = new QLabel(QString::fromUtf8(texts[i]), f);
        m_captions[size_t(i)]->setBuddy(m_measures[size_t(i)]->Edit());
        grid->addWidget(m_captions[size_t(i)], 1 + i / 2, (i % 2) * 2);
        grid->addWidget(m_measures[size_t(i)], 1 + i / 2, (i % 2) * 2 + 1);
        connect(m_measures[size_t(i)], &CMeasureEdit::valueChanged, this, &CDialogLabelDef::OnChanged);
    }
    // Tab reads the grid row by row: the rows, columns and paper come into
    // the dialog after the measures above them.
    for (QWidget* w :
        {static_cast<QWidget*>(m_rows), static_cast<QWidget*>(m_columns), static_cast<QWidget*>(m_paper)})
        w->setParent(f);
    m_measures[HEIGHT]->SetMustBePositive(true);
    m_measures[WIDTH]->SetMustBePositive(true);
    auto* rowsLabel = new QLabel(QStringLiteral("&Rows:"), f);
    rowsLabel->setBuddy(m_rows);
    auto* columnsLabel = new QLabel(QStringLiteral("C&olumns:"), f);
    columnsLabel->setBuddy(m_columns);
    auto* paperLabel = new QLabel(QStringLiteral("P&aper:"), f);
    paperLabel->setBuddy(m_paper);
    grid->addWidget(rowsLabel, 4, 0);
    grid->addWidget(m_rows, 4, 1);
    grid->addWidget(columnsLabel, 4, 2);
    grid->addWidget(m_columns, 4, 3);
    grid->addWidget(paperLabel, 5, 0);
    grid->addWidget(m_paper, 5, 1, 1, 3);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, f);
    SetDlgCtrlIDAndName(buttons->button(QDialogButtonBox::Cancel), 2);
    auto* layout = new QVBoxLayout(f);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(m_name, &QLineEdit::textEdited, this, &CDialogLabelDef::OnChanged);
    connect(m_rows, &QSpinBox::valueChanged, this, &CDialogLabelDef::OnChanged);
    connect(m_columns, &QSpinBox::valueChanged, this, &CDialogLabelDef::OnChanged);
    connect(m_paper, &QComboBox::currentIndexChanged, this, &CDialogLabelDef::OnChanged);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogLabelDef::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDialogLabelDef::reject);
}

bool CDialogLabelDef::OnInitDialog()
{
    m_loading = true;
    const bool standard = m_def.m_wMaker != LABEL_CUSTOM;
    setWindowTitle(m_bNew ? QStringLiteral("New label information")
                          : QString::fromStdString(m_def.Name()) + QStringLiteral(" information"));
    Caption()->setText(windowTitle());
    m_name->setText(QString::fromStdString(m_def.Name()));
    m_name->setReadOnly(standard && !m_bNew);
    m_rows->setValue(std::max<int>(1, m_def.m_wRows));
    m_columns->setValue(std::max<int>(1, m_def.m_wColumns));
    const int paper = m_paper->findData(m_def.m_wPaper);
    m_paper->setCurrentIndex(paper >= 0 ? paper : m_paper->findData(kLabelDefaultPaper));
    const u16 twips[MEASURE_COUNT] = {m_def.m_wHeight, m_def.m_wWidth, m_def.m_wRowSpacing,
        m_def.m_wColumnSpacing, m_def.m_wTopMargin, m_def.m_wLeftMargin};
    UpdateMaximums();
    for (int i = 0; i < MEASURE_COUNT; ++i) {
        m_measures[size_t(i)]->SetMaximum(1e9);  // the stored value is shown as it is
        m_measures[size_t(i)]->SetValue(TwipsToUnit(twips[i], m_unit));
    }
    UpdateMaximums();
    m_loading = false;
    m_changed = false;
    return CFramedDialog::OnInitDialog();
}

i32 CDialogLabelDef::Twips(Measure m) const
{
    return UnitToTwips(m_measures[size_t(m)]->Value(), m_unit);
}

void CDialogLabelDef::UpdateMaximums()
{
    if (const LabelPaper* paper = FindLabelPaper(u16(m_paper->currentData().toUInt()))) {
        m_pageWidth = paper->widthTwips;
        m_pageHeight = paper->heightTwips;
    }
    const double f = m_unit.Factor();
    const double pageW = m_pageWidth * f / 1440, pageH = m_pageHeight * f / 1440;
    const double height = m_measures[HEIGHT]->Value(), width = m_measures[WIDTH]->Value();
    m_measures[HEIGHT]->SetMaximum((m_pageHeight - m_def.m_wTopMargin) * f / 1440);
    m_measures[WIDTH]->SetMaximum((m_pageWidth - m_def.m_wRightMargin - m_def.m_wLeftMargin) * f / 1440);
    m_measures[ROW_SPACING]->SetMaximum(std::max(0.0, pageH - height));
    m_measures[TOP_MARGIN]->SetMaximum(std::max(0.0, pageH - height));
    m_measures[COLUMN_SPACING]->SetMaximum(std::max(0.0, pageW - width));
    m_measures[LEFT_MARGIN]->SetMaximum(std::max(0.0, pageW - width));
    // Spacing between rows or columns means something only with more than one.
    const bool rows = m_rows->value() > 1, columns = m_columns->value() > 1;
    m_measures[ROW_SPACING]->setEnabled(rows);
    m_captions[ROW_SPACING]->setEnabled(rows);
    m_measures[COLUMN_SPACING]->setEnabled(columns);
    m_captions[COLUMN_SPACING]->setEnabled(columns);
}

void CDialogLabelDef::OnChanged()
{
    if (m_loading)
        return;
    UpdateMaximums();
    if (m_changed)
        return;
    m_changed = true;
    // A changed standard sheet becomes a new sheet of the user's own.
    if (m_def.m_wMaker != LABEL_CUSTOM && !m_bNew) {
        m_bNew = true;
        m_def.m_wMaker = LABEL_CUSTOM;
        m_name->clear();
        m_name->setReadOnly(false);
        setWindowTitle(QStringLiteral("New label information"));
        Caption()->setText(windowTitle());
    }
}

void CDialogLabelDef::OnOK()
{
    if (focusWidget() && focusWidget()->objectName() == QStringLiteral("ctl2")) {
        reject();
        return;
    }
    if (!m_changed && !m_bNew) {
        EndDialog(IDCANCEL);
        return;
    }
    for (CMeasureEdit* m : m_measures)
        if (m->isEnabled() && !m->Check())
            return;
    if (m_name->text().trimmed().isEmpty()) {
        MsgStop(IDS_LABEL_NAME_MISSING, this);
        m_name->setFocus();
        return;
    }
    LabelDefinition made = m_def;
    made.m_wMaker = LABEL_CUSTOM;
    made.m_wColumns = u16(m_columns->value());
    made.m_wRows = u16(m_rows->value());
    const LabelPaper* paper = FindLabelPaper(u16(m_paper->currentData().toUInt()));
    made.m_wPaper = paper ? paper->code : kLabelDefaultPaper;
    made.m_wGroup = kDialogGroup;
    made.m_wFlags = paper && paper->landscape ? kDialogFlagsLandscape : kDialogFlagsPortrait;
    made.m_wWidth = u16(Twips(WIDTH));
    made.m_wHeight = u16(Twips(HEIGHT));
    made.m_wColumnSpacing = u16(m_columns->value() > 1 ? Twips(COLUMN_SPACING) : 0);
    made.m_wRowSpacing = u16(m_rows->value() > 1 ? Twips(ROW_SPACING) : 0);
    made.m_wTopMargin = u16(Twips(TOP_MARGIN));
    made.m_wLeftMargin = u16(Twips(LEFT_MARGIN));
    made.m_wScale1 = made.m_wScale2 = kLabelDefaultScale;
    made.m_wRightMargin = 0;
    made.m_dwReserved2 = made.m_dwReserved3 = 0;
    made.SetName(m_name->text().trimmed().toStdString());
    if (!LabelSheetFits(made, m_pageWidth, m_pageHeight)) {
        MsgStop(IDS_LABEL_PAGE_TOO_SMALL, this);
        return;
    }
    m_def = made;
    m_bNew = true;
    EndDialog(IDOK);
}
