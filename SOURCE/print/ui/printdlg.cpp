#include "print/ui/printdlg.h"

#include "core/utilities.h"
#include "platform/ui/window.h"
#include "print/printman.h"
#include "print/ui/printerpaper.h"
#include "print/ui/printicons.h"
#include "print/ui/printqueue.h"
#include "print/ui/printsetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>

namespace {

constexpr int kMaxCopies = 999;
constexpr const char* kDefaultFileName = "Output.pdf";

constexpr u32 IDS_FIRST_STYLE = 59645;  // "Memo Style" ... "Label Style"

const char* const kRangeTexts[] = {
    "All contacts in all books",
    "All contacts in the book",
    "All contacts in the view",
    "Selected contacts",
};
// The two-sided modes, in the order of the list.
const QPrinter::DuplexMode kTwoSidedModes[]
    = {QPrinter::DuplexNone, QPrinter::DuplexLongSide, QPrinter::DuplexShortSide};
const char* const kTwoSidedTexts[] = {"One-sided", "Long edge (turn like a book)", "Short edge (flip up)"};

// Whether a queue that prints on both sides in these ways has the mode.
bool QueueHasMode(const QList<QPrinter::DuplexMode>& twoSided, QPrinter::DuplexMode mode)
{
    // A queue that turns the paper either way as the job asks.
    return mode == QPrinter::DuplexNone || twoSided.contains(mode) || twoSided.contains(QPrinter::DuplexAuto);
}
const int kPagesPerSheet[] = {1, 2, 4, 6, 9, 16};

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
    SetDlgCtrlIDAndName(m_styles, 1000);
    SetDlgCtrlIDAndName(m_ranges, 1019);
    SetDlgCtrlIDAndName(m_column, 1010);
    SetDlgCtrlIDAndName(m_row, 1011);
    SetDlgCtrlIDAndName(m_gridLines, 1016);
    m_columnCaption->setBuddy(m_column);
    m_rowCaption->setBuddy(m_row);
    const int picture = fontMetrics().height() * 3 / 2;
    m_styles->setIconSize(QSize(picture, picture));
    for (u32 i = 0; i < 4; ++i)
        m_styles->addItem(new QListWidgetItem(
            PrintStyleIcon(PM_MEMO + i), QString::fromUtf8(LoadResString(IDS_FIRST_STYLE + i))));
    // All four styles in view, without a scroll bar.
    m_styles->setFixedHeight(m_styles->sizeHintForRow(0) * 4 + 2 * m_styles->frameWidth());
    auto* pageSetup = new QPushButton(QStringLiteral("Page &setup"), this);
    SetDlgCtrlIDAndName(pageSetup, 1017);
    auto* preview = new QPushButton(QStringLiteral("Pre&view"), this);
    SetDlgCtrlIDAndName(preview, 1018);

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
    layout->setContentsMargins(0, 0, 0, 0);
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
        FitWindow();
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

void CPrintStylePanel::FitWindow()
{
    // Controls of another style hidden leave no empty band: the dialog
    // takes the height of what it shows.
    QWidget* dialog = window();
    if (dialog == this || !dialog->isVisible() || !dialog->layout())
        return;
    // The controls just shown or hidden change the sizes the layouts hold
    // only when their layout requests are handled, group box by group box
    // up to the dialog: before that the dialog's size hint is the old one.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    dialog->layout()->activate();
    dialog->resize(dialog->width(), dialog->sizeHint().height());
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
    FitWindow();
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

CRPrintDialog::CRPrintDialog(
    PrintMan& printMan, QPrinter& printer, QWidget* parent, const PrintJobChoices& choices)
    : QDialog(parent)
    , m_printer(printer)
    , m_panel(new CPrintStylePanel(printMan, printMan.m_Label.m_wColumns, printMan.m_Label.m_wRows, this))
    , m_printers(new QComboBox(this))
    , m_fileCaption(new QLabel(QStringLiteral("&File name:"), this))
    , m_fileName(new QLineEdit(this))
    , m_browse(new QPushButton(QStringLiteral("&Browse..."), this))
    , m_copies(new QSpinBox(this))
    , m_collate(new QCheckBox(QStringLiteral("C&ollate"), this))
    , m_twoSided(new QComboBox(this))
    , m_pagesPerSheet(new QComboBox(this))
    , m_lastPageFirst(new QCheckBox(QStringLiteral("&Last page first"), this))
    , m_choices(choices)
{
    setObjectName(QStringLiteral("CRPrintDialog"));
    setWindowTitle(QStringLiteral("Print"));
    SetDlgCtrlIDAndName(m_printers, 1139);
    SetDlgCtrlIDAndName(m_fileName, 1152);
    SetDlgCtrlIDAndName(m_browse, 1153);
    SetDlgCtrlIDAndName(m_copies, 1154);
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        m_printers->addItem(name, name);
    m_printers->addItem(QStringLiteral("Print to File (PDF)"));
    m_copies->setRange(1, kMaxCopies);
    m_copies->setValue(std::clamp(choices.copies, 1, kMaxCopies));
    SetDlgCtrlIDAndName(m_collate, 1041);
    SetDlgCtrlIDAndName(m_twoSided, 1060);
    SetDlgCtrlIDAndName(m_pagesPerSheet, 1061);
    SetDlgCtrlIDAndName(m_lastPageFirst, 1062);
    // What was chosen for this job, else what a plain job is.
    m_collate->setChecked(choices.collate);
    for (const int pages : kPagesPerSheet)
        m_pagesPerSheet->addItem(QString::number(pages), pages);
    m_pagesPerSheet->setCurrentIndex(std::max(0, m_pagesPerSheet->findData(choices.pagesPerSheet)));
    m_lastPageFirst->setChecked(choices.lastPageFirst);

    auto* nameCaption = new QLabel(QStringLiteral("N&ame:"), this);
    nameCaption->setBuddy(m_printers);
    m_fileCaption->setBuddy(m_fileName);
    m_copiesCaption = new QLabel(QStringLiteral("Number of &copies:"), this);
    m_copiesCaption->setBuddy(m_copies);
    auto* printerGroup = new QGroupBox(QStringLiteral("Printer"), this);
    auto* grid = new QGridLayout(printerGroup);
    grid->addWidget(nameCaption, 0, 0);
    grid->addWidget(m_printers, 0, 1, 1, 2);
    grid->addWidget(m_fileCaption, 1, 0);
    grid->addWidget(m_fileName, 1, 1);
    grid->addWidget(m_browse, 1, 2);
    grid->addWidget(m_copiesCaption, 2, 0);
    auto* copies = new QHBoxLayout;
    copies->addWidget(m_copies);
    copies->addWidget(m_collate);
    copies->addStretch();
    grid->addLayout(copies, 2, 1, 1, 2);
    auto* twoSidedCaption = new QLabel(QStringLiteral("&Two-sided:"), this);
    twoSidedCaption->setBuddy(m_twoSided);
    grid->addWidget(twoSidedCaption, 3, 0);
    grid->addWidget(m_twoSided, 3, 1, Qt::AlignLeft);
    auto* pagesCaption = new QLabel(QStringLiteral("Pages per s&heet:"), this);
    pagesCaption->setBuddy(m_pagesPerSheet);
    grid->addWidget(pagesCaption, 4, 0);
    auto* pages = new QHBoxLayout;
    pages->addWidget(m_pagesPerSheet);
    pages->addWidget(m_lastPageFirst);
    pages->addStretch();
    grid->addLayout(pages, 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    m_printerOnly = {m_copies, m_copiesCaption, m_collate, twoSidedCaption, m_twoSided, pagesCaption,
        m_pagesPerSheet, m_lastPageFirst};

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    SetDlgCtrlIDAndName(ok, 1);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetDlgCtrlIDAndName(cancel, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(printerGroup);
    layout->addWidget(m_panel);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 72);

    // What was chosen before, while the program runs: the file or the
    // printer, else the default printer, else a file.
    int current = FileEntry();
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    if (!toFile) {
        if (const int found = m_printers->findData(GetPrinterNames(printer)); found >= 0)
            current = found;
    }
    m_printers->setCurrentIndex(current);
    // The file printed to last stays offered after jobs on a printer.
    QString file = toFile ? printer.outputFileName() : LastFileName();
    if (file.isEmpty())
        file = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                   .filePath(kDefaultFileName);
    m_fileName->setText(QDir::toNativeSeparators(file));
    FillTwoSided();
    ShowOutput();

    connect(m_printers, &QComboBox::currentIndexChanged, this, [this] {
        FillTwoSided();
        ShowOutput();
    });
    connect(m_panel->Styles(), &QListWidget::currentRowChanged, this, &CRPrintDialog::ShowOutput);
    connect(m_copies, &QSpinBox::valueChanged, this, &CRPrintDialog::ShowOutput);
    connect(m_browse, &QPushButton::clicked, this, &CRPrintDialog::OnBrowse);
    connect(ok, &QPushButton::clicked, this, &CRPrintDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CRPrintDialog::reject);
    connect(m_panel, &CPrintStylePanel::finished, this, &CRPrintDialog::Finish);

    // Tab follows the layout: the printer's controls, then the style panel
    // below them, then OK and Cancel. A control inside another (a spin
    // box's edit) moves with it.
    const auto takesTab = [this](QWidget* w) {
        if (w->focusPolicy() == Qt::NoFocus)
            return false;
        for (QWidget* p = w->parentWidget(); p && p != this; p = p->parentWidget())
            if (p->focusPolicy() != Qt::NoFocus)
                return false;
        return true;
    };
    QList<QWidget*> printerPart;
    QList<QWidget*> panelPart;
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (!takesTab(w))
            continue;
        if (printerGroup->isAncestorOf(w))
            printerPart << w;
        else if (m_panel->isAncestorOf(w))
            panelPart << w;
    }
    const QList<QWidget*> order = printerPart + panelPart + QList<QWidget*>{ok, cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    m_panel->Styles()->setFocus();
}

QString& CRPrintDialog::LastFileName()
{
    static QString file;
    return file;
}

int CRPrintDialog::FileEntry() const
{
    return m_printers->count() - 1;
}

void CRPrintDialog::ShowOutput()
{
    const bool toFile = m_printers->currentIndex() == FileEntry();
    for (QWidget* w : {static_cast<QWidget*>(m_fileCaption), static_cast<QWidget*>(m_fileName),
             static_cast<QWidget*>(m_browse)})
        w->setEnabled(toFile);
    // A file is written once; copies, two sides and pages per sheet are
    // the printer's.
    for (QWidget* w : m_printerOnly)
        w->setEnabled(!toFile);
    m_collate->setEnabled(!toFile && m_copies->value() > 1);
    const u32 style = u32(std::max(0, m_panel->Styles()->currentRow())) + PM_MEMO;
    ShowPageLayout(!toFile && StyleTakesPageLayoutChoices(style));
}

void CRPrintDialog::FillTwoSided()
{
    // The mode chosen so far: the one shown, or the one held while the
    // style takes none.
    int chosen = int(m_choices.twoSided);
    if (m_layoutHeld)
        chosen = int(m_heldLayout.twoSided);
    else if (m_twoSided->count() > 0)
        chosen = m_twoSided->currentData().toInt();
    const bool toFile = m_printers->currentIndex() == FileEntry();
    const QList<QPrinter::DuplexMode> twoSided = toFile
        ? QList<QPrinter::DuplexMode>()
        : PapersOfQueue(m_printers->currentData().toString()).twoSided;
    QSignalBlocker block(m_twoSided);
    m_twoSided->clear();
    for (size_t i = 0; i < std::size(kTwoSidedModes); ++i)
        if (QueueHasMode(twoSided, kTwoSidedModes[i]))
            m_twoSided->addItem(QString::fromUtf8(kTwoSidedTexts[i]), int(kTwoSidedModes[i]));
    const int index = std::max(0, m_twoSided->findData(chosen));
    if (m_layoutHeld)
        m_heldLayout.twoSided = QPrinter::DuplexMode(m_twoSided->itemData(index).toInt());
    else
        m_twoSided->setCurrentIndex(index);
}

void CRPrintDialog::ShowPageLayout(bool chosen)
{
    if (!chosen && !m_layoutHeld) {
        m_heldLayout.twoSided = QPrinter::DuplexMode(m_twoSided->currentData().toInt());
        m_heldLayout.pagesPerSheet = m_pagesPerSheet->currentData().toInt();
        m_heldLayout.lastPageFirst = m_lastPageFirst->isChecked();
        m_layoutHeld = true;
        m_twoSided->setCurrentIndex(0);
        m_pagesPerSheet->setCurrentIndex(0);
        m_lastPageFirst->setChecked(false);
    } else if (chosen && m_layoutHeld) {
        m_layoutHeld = false;
        m_twoSided->setCurrentIndex(std::max(0, m_twoSided->findData(int(m_heldLayout.twoSided))));
        m_pagesPerSheet->setCurrentIndex(std::max(0, m_pagesPerSheet->findData(m_heldLayout.pagesPerSheet)));
        m_lastPageFirst->setChecked(m_heldLayout.lastPageFirst);
    }
    // A queue that prints on one side only offers nothing else.
    m_twoSided->setEnabled(chosen && m_twoSided->count() > 1);
    m_pagesPerSheet->setEnabled(chosen);
    m_lastPageFirst->setEnabled(chosen);
}

void CRPrintDialog::OnBrowse()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Print to File"),
        QDir::fromNativeSeparators(m_fileName->text()), QStringLiteral("PDF Files (*.pdf);;All Files (*)"));
    if (!path.isEmpty())
        m_fileName->setText(QDir::toNativeSeparators(path));
}

bool CRPrintDialog::TakeOutput()
{
    if (m_printers->currentIndex() == FileEntry()) {
        const QString path = QDir::fromNativeSeparators(m_fileName->text().trimmed());
        if (path.isEmpty() || QFileInfo(path).isDir()) {
            MsgStopText("Please enter the name of the file to print to.", this);
            m_fileName->setFocus();
            return false;
        }
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(
            QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".pdf") : path);
        LastFileName() = m_printer.outputFileName();
    } else {
        // A printer already set for that queue is kept as it is: changing
        // its format or name makes its engine anew, dropping its settings.
        if (!m_printer.outputFileName().isEmpty()) {
            m_printer.setOutputFileName(QString());
            m_printer.setOutputFormat(QPrinter::NativeFormat);
        }
        if (const QString name = m_printers->currentData().toString(); m_printer.printerName() != name)
            m_printer.setPrinterName(name);
    }
    // The queue gets these with this job alone: they stay off the printer,
    // which every later job shares. A file takes none of them.
    m_choices = {};
    if (m_copies->isEnabled()) {
        m_choices.copies = m_copies->value();
        m_choices.collate = m_collate->isChecked() && m_choices.copies > 1;
        if (m_layoutHeld) {
            m_choices.twoSided = m_heldLayout.twoSided;
            m_choices.pagesPerSheet = m_heldLayout.pagesPerSheet;
            m_choices.lastPageFirst = m_heldLayout.lastPageFirst;
        } else {
            m_choices.twoSided = QPrinter::DuplexMode(m_twoSided->currentData().toInt());
            m_choices.pagesPerSheet = std::max(1, m_pagesPerSheet->currentData().toInt());
            m_choices.lastPageFirst = m_lastPageFirst->isChecked();
        }
    }
    return true;
}

void CRPrintDialog::Finish(int result)
{
    // "Page setup" and "Preview" come back to this printer or file.
    if (!TakeOutput())
        return;
    m_nResult = result;
    done(result);
}

void CRPrintDialog::accept()
{
    if (!m_panel->Save() || !TakeOutput())
        return;
    m_nResult = kResultPrint;
    QDialog::accept();
}

void CRPrintDialog::reject()
{
    m_nResult = kResultCancel;
    QDialog::reject();
}
