// The print dialog: the system's, with a page of the program's own for the
// print style, the contacts to print, the start label of a single label and
// the label outlines, and buttons for the style's options and the preview.
#pragma once

#include "platform/wintypes.h"

#include <QPrintDialog>
#include <QWidget>

class PrintMan;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

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

class CRPrintDialog : public QPrintDialog {
    Q_OBJECT
public:
    CRPrintDialog(PrintMan& printMan, QPrinter& printer, bool haveSelection, QWidget* parent = nullptr);

    // 1 print, 1000 preview, 1001 the style's options; 2 when cancelled.
    int Result() const { return m_nResult; }
    CPrintStylePanel* Panel() const { return m_panel; }

    void accept() override;
    void reject() override;

private:
    CPrintStylePanel* m_panel;
    int m_nResult = 2;
};
