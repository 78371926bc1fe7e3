// The printing dialog: shown while a job's pages go to the printer or the
// file, with the document's name, where it goes, the page being printed and
// a way to stop the job between two pages.
#pragma once

#include "platform/wintypes.h"

#include <QDialog>

class QLabel;
class QPushButton;

class CPrintingDialog : public QDialog {
    Q_OBJECT
public:
    // where: the printer's name, or the file's path when toFile is set.
    CPrintingDialog(const QString& docName, const QString& where, bool toFile, QWidget* parent = nullptr);

    // "Page 3 of 12"; without the count when pages is 0.
    void SetPage(u32 page, u32 pages = 0);
    // The user asked to stop: the job ends before its next page.
    bool Cancelled() const { return m_cancelled; }
    QLabel* PageText() const { return m_page; }
    QPushButton* CancelButton() const { return m_cancel; }

    // Cancel and Escape stop the job; the dialog stays until the job has ended.
    void reject() override;

private:
    QLabel* m_page;
    QPushButton* m_cancel;
    bool m_cancelled = false;
};
