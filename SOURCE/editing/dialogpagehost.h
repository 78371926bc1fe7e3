// The shell of the dialogs that show several pages in one frame beside a
// vertical page bar (the contact properties and the Preferences dialog).
// The host keeps the page list, switches pages by the page bar and by the
// page keys (Ctrl+Tab, Ctrl+Page Down forwards, Ctrl+Shift+Tab, Ctrl+Page
// Up backwards, in a ring), and keeps the Tab ring page bar -> page ->
// buttons -> page bar. A derived dialog adds its pages and buttons and does
// the real work of OK.
#pragma once

#include "controls/dialogpage.h"

#include <QDialog>
#include <vector>

class CFlatButton;
class CPageBar;
class QHBoxLayout;
class QPushButton;
class QStackedLayout;

class CDialogPageHost : public QDialog, public CPageKeyHost {
    Q_OBJECT
public:
    static constexpr int kPendingNone = -1;

    CDialogPageHost(int templateId, QWidget* parent = nullptr);
    ~CDialogPageHost() override;

    int TemplateId() const { return m_templateId; }
    // Runs the dialog; IDOK or IDCANCEL.
    int DoModal();
    void EndDialog(int result) { done(result); }

    // A page hands on a key it does not handle: how is CDialogPage's
    // kPageKeyNext or kPageKeyBack. True when the host used the key.
    bool OnPageKey(QKeyEvent* key, int how) override;
    // The next or previous page of the ring, by the key.
    virtual void SwitchPage(QKeyEvent* key);
    // Shows the page; returns the page that was shown before.
    virtual CDialogPage* SetActivePage(CDialogPage* page);
    // The page now shown, or null.
    virtual CDialogPage* GetActivePage() const;

    // Adds a page (the host takes it) with its page-bar button and the
    // controls that take the focus when it is entered forwards and backwards.
    // The first page added is the one shown at first.
    void AddPage(CDialogPage* page, int command, const QString& label, int firstFocus, int lastFocus);
    // A further button of the button row, placed before OK and Cancel.
    void AddButton(QPushButton* button, int id);
    // The page bar's command: checks the command's button and shows its
    // page unless it is already shown. Commands of no page only check.
    void OnShowPage(int command);

    int PageCount() const { return int(m_pages.size()); }
    CDialogPage* PageAt(int index) const { return m_pages[size_t(index)].page; }
    // The page-bar command of the page, -1 for a page not in the host.
    int CommandOf(const CDialogPage* page) const;
    CPageBar* PageBar() const { return m_pageBar; }
    // Where the pages are shown, inside the frame's one-pixel edge.
    QRect PageRect() const;
    CFlatButton* OkButton() const { return m_ok; }
    CFlatButton* CancelButton() const { return m_cancel; }

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

protected:
    // Runs once, just before the dialog is first shown.
    virtual bool OnInitDialog() { return true; }
    // The default OK: the page bar's Enter, then the page's own OK, then the
    // dialog closes. Derived hosts do their own work after the first two.
    virtual void OnOK();
    // The active page cancels first, then the dialog closes.
    virtual void OnCancel();
    // Enter on the page bar shows the hot button's page: true when it did.
    bool PageBarTakesEnter();
    // The active page finishes its own edits first: true when it was asked
    // to (its OK comes back to the host).
    bool LetActivePageFinish();
    // The host's side of the key protocol; true when the key was used.
    bool PreTranslateMessage(QKeyEvent* key);

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    // -1, or the page key (kPageKeyNext, kPageKeyBack) being handed on.
    int m_nPendingKey = kPendingNone;

private:
    struct PageEntry {
        CDialogPage* page;
        int command;
    };
    // The widgets of the Tab ring in order: page bar, the active page's
    // controls, the buttons.
    std::vector<QWidget*> FocusRing() const;
    bool IsInPage(const QWidget* widget) const;

    int m_templateId;
    bool m_initialised = false;
    std::vector<PageEntry> m_pages;
    CPageBar* m_pageBar;
    QStackedLayout* m_stack;
    QHBoxLayout* m_buttonRow;
    CFlatButton* m_ok;
    CFlatButton* m_cancel;
};
