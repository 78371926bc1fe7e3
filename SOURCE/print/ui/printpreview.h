// The print preview as the main window shows it in place of its panes: the
// tool bar above the pages, the commands kept enabled as the pages allow.
#pragma once

#include "print/ui/previewbar.h"
#include "print/ui/printpreviewwnd.h"

#include <QWidget>

class CPrintPreview : public QWidget {
    Q_OBJECT
public:
    explicit CPrintPreview(PrintMan& printMan, QWidget* parent = nullptr);

    CPreviewBar* Bar() const { return m_bar; }
    CPrintPreviewWnd* Pages() const { return m_pages; }

    // Enables and renames the bar's commands from the pages' state.
    void UpdateCommands();

signals:
    // The commands the main window carries out: print the job (from the
    // page shown), set the page up, leave the preview.
    void printRequested(u32 page);
    void pageSetupRequested();
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnCommand(u32 id);

    CPreviewBar* m_bar;
    CPrintPreviewWnd* m_pages;
};
