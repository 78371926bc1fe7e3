// A developer's window beside the main window: the raw fields of the
// selected book, for looking into what the store holds.
#pragma once

#include <QDialog>
#include <string>

class DataItem;
class DataMan;
class QPlainTextEdit;

// The dump of a book's fields and the store's totals, one field a line.
std::string DumpBookText(const DataMan& dataMan, const DataItem& item);

class CDialogDataDump : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 150;
    static constexpr int kTextId = 1555;

    // Modeless, over the owner; the window deletes itself when closed.
    CDialogDataDump(DataMan& dataMan, QWidget* owner);

    // Opens the window.
    bool Create();
    // Shows a book's fields; a contact or nothing empties the text.
    void DumpRecord(const DataItem* item);

    QPlainTextEdit* Text() const { return m_text; }

private:
    DataMan& m_dataMan;
    QPlainTextEdit* m_text;
};
