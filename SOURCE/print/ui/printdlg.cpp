#include "print/ui/printdlg.h"

#include "core/utilities.h"
#include "print/printman.h"
#include "print/ui/printsetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr u32 IDS_FIRST_STYLE = 59645;  // "Memo Style" ... "Label Style"

const char* const kRangeTexts[] = {
    "All contacts in all books",
    "All contacts in the book",
    "All contacts in the view",
    "Selected contacts",
};
const char* const kLabelRangeTexts[] = {
    "Selected contacts",
    "Full page with first selected contact",
    "Single label with first selected contact",
};

}  // namespace

CPrintStylePanel::CPrintStylePanel(PrintMan& printMan, int columns, int rows, QWidget* parent)
    : QWidget(parent)
    , m_pm(printMan)
    , m_columns(std::max(1, columns))
    , m_rows(std::max(1, rows))
    , m_styles(new QListWidget(this))
    , m_ranges(new QComboBox(this))
    , m_columnCaption(new QLabel(QStringLiteral("Colum&n"), this))
    , m_rowCaption(new QLabel(QStringLiteral("Ro&w"), this))
    , m_column(new QLineEdit(this))
    , m_row(new QLineEdit(this))
    , m_gridLines(new QCheckBox(QStringLiteral("Print &grid lines"), this))
{
    setWindowTitle(QStringLiteral("Print st&yle"));
    m_styles->setObjectName(QStringLiteral("ctl1000"));
    m_ranges->setObjectName(QStringLiteral("ctl1019"));
    m_column->setObjectName(QStringLiteral("ctl1010"));
    m_row->setObjectName(QStringLiteral("ctl1011"));
    m_gridLines->setObjectName(QStringLiteral("ctl1016"));
    m_columnCaption->setBuddy(m_column);
    m_rowCaption->setBuddy(m_row);
    for (u32 i = 0; i < 4; ++i)
        m_styles->addItem(QString::fromUtf8(LoadResString(IDS_FIRST_STYLE + i)));
    m_styles->setMaximumHeight(m_styles->sizeHintForRow(0) * 5);
    auto* pageSetup = new QPushButton(QStringLiteral("Page &setup"), this);
    pageSetup->setObjectName(QStringLiteral("ctl1017"));
    auto* preview = new QPushButton(QStringLiteral("Pre&view"), this);
    preview->setObjectName(QStringLiteral("ctl1018"));

    auto* styleGroup = new QGroupBox(QStringLiteral("Print st&yle"), this);
    (new QVBoxLayout(styleGroup))->addWidget(m_styles);
    auto* rangeGroup = new QGroupBox(QStringLiteral("Print &range"), this);
    auto* range = new QGridLayout(rangeGroup);
    range->addWidget(m_ranges, 0, 0, 1, 4);
    range->addWidget(m_columnCaption, 1, 0);
    range->addWidget(m_column, 1, 1);
    range->addWidget(m_rowCaption, 1, 2);
    range->addWidget(m_row, 1, 3);
    range->addWidget(m_gridLines, 2, 0, 1, 4);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(pageSetup);
    buttons->addWidget(preview);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(styleGroup);
    layout->addWidget(rangeGroup);
    layout->addLayout(buttons);
    layout->addStretch();

    const u32 labelItem = m_pm.m_LabelItem;
    m_column->setText(QString::number(std::clamp<int>(int(labelItem & 0xFFFF), 1, m_columns)));
    m_row->setText(QString::number(std::clamp<int>(int(labelItem >> 16), 1, m_rows)));
    m_gridLines->setChecked(m_pm.m_Flags1 & PF_LABEL_OUTLINES);
    m_styles->setCurrentRow(int(std::clamp<u32>(m_pm.m_Printmode, PM_MEMO, PM_LABELS)) - 1);
    FillRanges();

    connect(m_styles, &QListWidget::currentRowChanged, this, &CPrintStylePanel::FillRanges);
    connect(m_ranges, &QComboBox::currentIndexChanged, this, [this] {
        const bool single = Style() == PM_LABELS && m_ranges->currentIndex() == 2;
        for (QWidget* w : {static_cast<QWidget*>(m_column), static_cast<QWidget*>(m_row),
                 static_cast<QWidget*>(m_columnCaption), static_cast<QWidget*>(m_rowCaption)})
            w->setVisible(single);
    });
    auto finish = [this](int result) {
        if (Save())
            emit finished(result);
    };
    connect(pageSetup, &QPushButton::clicked, this, [finish] { finish(kResultPageSetup); });
    connect(preview, &QPushButton::clicked, this, [finish] { finish(kResultPreview); });
    connect(m_styles, &QListWidget::itemDoubleClicked, this, [finish] { finish(kResultPageSetup); });
    emit m_ranges->currentIndexChanged(m_ranges->currentIndex());
}

u32 CPrintStylePanel::Style() const
{
    return u32(std::max(0, m_styles->currentRow())) + PM_MEMO;
}

void CPrintStylePanel::FillRanges()
{
    QSignalBlocker block(m_ranges);
    m_ranges->clear();
    const u32 style = Style();
    int current = 0;
    if (style == PM_LABELS) {
        for (const char* text : kLabelRangeTexts)
            m_ranges->addItem(QString::fromUtf8(text));
        current = int(m_pm.m_LabelPrintRange) - int(PR_LABEL_SELECTION);
    } else {
        for (const char* text : kRangeTexts)
            m_ranges->addItem(QString::fromUtf8(text));
        current = int(style == PM_ENVELOPE ? m_pm.m_PrinttypeEnv : m_pm.m_Printtype) - 1;
    }
    m_ranges->setCurrentIndex(std::clamp(current, 0, m_ranges->count() - 1));
    m_gridLines->setVisible(style == PM_LABELS);
    block.unblock();
    emit m_ranges->currentIndexChanged(m_ranges->currentIndex());
}

bool CPrintStylePanel::CheckEdit(QLineEdit* edit, int maximum)
{
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (ok && value >= 1 && value <= maximum)
        return true;
    MsgStopText(QStringLiteral("Please enter an integer between 1 and %1.").arg(maximum).toStdString(), this);
    edit->setFocus();
    edit->selectAll();
    return false;
}

bool CPrintStylePanel::Save()
{
    const u32 style = Style();
    const int index = std::max(0, m_ranges->currentIndex());
    if (style == PM_LABELS) {
        if (index == 2 && !(CheckEdit(m_column, m_columns) && CheckEdit(m_row, m_rows)))
            return false;
        m_pm.m_LabelPrintRange = u32(index) + PR_LABEL_SELECTION;
        if (index == 2)
            m_pm.m_LabelItem = (m_row->text().toUInt() << 16) | m_column->text().toUInt();
        m_pm.m_Flags1 = m_gridLines->isChecked() ? (m_pm.m_Flags1 | PF_LABEL_OUTLINES)
                                                 : (m_pm.m_Flags1 & ~PF_LABEL_OUTLINES);
    } else if (style == PM_ENVELOPE) {
        m_pm.m_PrinttypeEnv = u32(index) + 1;
    } else {
        m_pm.m_Printtype = u32(index) + 1;
    }
    m_pm.m_Printmode = style;
    return true;
}

CRPrintDialog::CRPrintDialog(PrintMan& printMan, QPrinter& printer, bool haveSelection, QWidget* parent)
    : QPrintDialog(&printer, parent)
    , m_panel(new CPrintStylePanel(printMan, printMan.m_Label.m_wColumns, printMan.m_Label.m_wRows))
{
    setObjectName(QStringLiteral("CRPrintDialog"));
    setOption(QAbstractPrintDialog::PrintPageRange, false);
    setOption(QAbstractPrintDialog::PrintSelection, haveSelection);
    setOptionTabs({m_panel});
    connect(m_panel, &CPrintStylePanel::finished, this, [this](int result) {
        m_nResult = result;
        done(result);
    });
}

void CRPrintDialog::accept()
{
    if (!m_panel->Save())
        return;
    m_nResult = kResultPrint;
    QPrintDialog::accept();
}

void CRPrintDialog::reject()
{
    m_nResult = kResultCancel;
    QPrintDialog::reject();
}
