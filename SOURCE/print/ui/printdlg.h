// The print dialog: the printer or file, the print style, the contacts to
// print, the start label of a single label and the label outlines, and
// buttons for the style's options and the preview.
#pragma once

#include "platform/wintypes.h"
#include "print/ui/printqueue.h"

#include <QDialog>
#include <QWidget>

class PrintMan;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPrinter;
class QPushButton;
class QSpinBox;

class CPrintStylePanel : public QWidget {
    Q_OBJECT
public:
    // columns and rows: the current label sheet's, for the start label.
    CPrintStylePanel(PrintMan& printMan, int columns, int rows, QWidget* parent = nullptr);

    QListWidget* Styles() const { return m_styles; }
    QComboBox* Ranges() const { return m_ranges; }
    QLineEdit* ColumnEdit() const { return m_column; }
    QLineEdit* RowEdit() const { return m_row; }
    QCheckBox* GridLines() const { return m_gridLines; }

    // Takes the choices into the print settings; false, with a message and
    // the focus on the edit, when the start label lies outside the sheet.
    bool Save();

signals:
    // "Page &setup" or "Pre&view", after the choices were saved.
    void finished(int result);

private:
    void FillRanges();
    void FitWindow();
    bool CheckEdit(QLineEdit* edit, int maximum);
    u32 Style() const;

    PrintMan& m_pm;
    int m_columns;
    int m_rows;
    QListWidget* m_styles;
    QComboBox* m_ranges;
    QLabel* m_columnCaption;
    QLabel* m_rowCaption;
    QLineEdit* m_column;
    QLineEdit* m_row;
    QCheckBox* m_gridLines;
};

// The print dialog: where the job goes (a printer, or a PDF file) and how
// many copies, the print style with its pictures, the contacts to print,
// and "Page setup" and "Preview", which keep the printer or file chosen.
class CRPrintDialog : public QDialog {
    Q_OBJECT
public:
    // choices: what was chosen for the job this dialog comes back to (after
    // "Page setup"), else none.
    CRPrintDialog(PrintMan& printMan, QPrinter& printer, QWidget* parent = nullptr,
        const PrintJobChoices& choices = {});

    // 1 print, 1000 preview, 1001 the style's options; 2 when cancelled.
    int Result() const { return m_nResult; }
    CPrintStylePanel* Panel() const { return m_panel; }
    QComboBox* Printers() const { return m_printers; }
    QLineEdit* FileName() const { return m_fileName; }
    QSpinBox* Copies() const { return m_copies; }
    QCheckBox* Collate() const { return m_collate; }
    QComboBox* TwoSided() const { return m_twoSided; }
    QComboBox* PagesPerSheet() const { return m_pagesPerSheet; }
    QCheckBox* LastPageFirst() const { return m_lastPageFirst; }
    // The printer list's entry that writes a PDF file.
    int FileEntry() const;
    // What was chosen for the job, once the dialog closed on a printer.
    const PrintJobChoices& Choices() const { return m_choices; }

    void accept() override;
    void reject() override;

private:
    // The file printed to last while the program runs.
    static QString& LastFileName();
    void ShowOutput();
    // The two-sided modes of the chosen queue, keeping the mode chosen
    // where the queue has it.
    void FillTwoSided();
    // Shows the style's page layout: a label sheet or an envelope goes one
    // page to a sheet, first page first, on one side, whatever was chosen
    // for the other styles, which comes back with them.
    void ShowPageLayout(bool chosen);
    void OnBrowse();
    // Hands the chosen output to the printer; false, with a message, when a
    // file is chosen without a name.
    bool TakeOutput();
    void Finish(int result);

    QPrinter& m_printer;
    CPrintStylePanel* m_panel;
    QComboBox* m_printers;
    QLabel* m_fileCaption;
    QLineEdit* m_fileName;
    QPushButton* m_browse;
    QSpinBox* m_copies;
    QLabel* m_copiesCaption = nullptr;
    // How a printer lays the pages out; a file takes none of these.
    QCheckBox* m_collate;
    QComboBox* m_twoSided;
    QComboBox* m_pagesPerSheet;
    QCheckBox* m_lastPageFirst;
    QList<QWidget*> m_printerOnly;
    PrintJobChoices m_choices;
    // The page layout chosen while a style that takes none is shown.
    PrintJobChoices m_heldLayout;
    bool m_layoutHeld = false;
    int m_nResult = 2;
};
