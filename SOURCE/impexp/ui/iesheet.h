// The import/export wizard: five pages one after another with Back, Next,
// Finish and Cancel below a divider. What it decides lives in an IEWizard;
// the sheet shows the pages and moves through them as the wizard allows.
#pragma once

#include "impexp/iedrivers.h"
#include "impexp/iewizard.h"

#include <QDialog>
#include <vector>

class CFlatButton;
class CIEPage;
class DataMan;
class QStackedWidget;

constexpr int ID_WIZBACK = 12323;
constexpr int ID_WIZNEXT = 12324;
constexpr int IDC_IE_DIVIDER = 12326;

class CIESheet : public QDialog {
    Q_OBJECT
public:
    CIESheet(IEWizard& wizard, DataMan& dataMan, QWidget* parent = nullptr);

    // ID_WIZFINISH when the wizard ended with Finish, else IDCANCEL.
    int DoModal();

    IEWizard& Wizard() const { return m_wizard; }
    DataMan& Data() const { return m_dm; }
    CIEPage* Page(IEPage page) const { return m_pages[size_t(page)]; }
    CIEPage* ActivePage() const { return Page(m_wizard.Page()); }

    void PressBack();
    void PressNext();
    void PressFinish();
    // Buttons and title as the page and the wizard's state allow.
    void UpdateButtons();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowActivePage();

    IEWizard& m_wizard;
    DataMan& m_dm;
    QStackedWidget* m_stack;
    std::vector<CIEPage*> m_pages;
    CFlatButton* m_back;
    CFlatButton* m_next;
    CFlatButton* m_finish;
    CFlatButton* m_cancel;
};

// The "Import and Export" command: runs the wizard and, when it finishes,
// the import or export it chose, under the wait cursor; reports what
// happened and saves the data file when the store changed. The outcome
// tells the caller what to refresh.
IEOutcome RunImportExportCommand(DataMan& dataMan, QWidget* parent);
