// The dialog shown after an unexpected error: the report that was written to
// the error log, and the offer to mail that log to the program's support.
// Nothing is sent unless the user asks for it, and then only through the
// user's own mail program.
#pragma once

#include "controls/framedialog.h"
#include "telephony/mailsession.h"

#include <string>

class CFlatButton;
class QPlainTextEdit;

class CDialogBugReport : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 148;
    static constexpr int kReportId = 1548;
    static constexpr int kIconId = 1547;
    static constexpr int kSendId = 1546;

    explicit CDialogBugReport(QWidget* parent = nullptr);

    void SetReportText(const std::string& text);
    // Mails the error log; the dialog closes once the mail program has it,
    // and stays open with a note of what to do instead when it cannot.
    void OnSendBugReport();

    QPlainTextEdit* ReportEdit() const { return m_report; }
    CFlatButton* SendButton() const { return m_send; }

protected:
    bool OnInitDialog() override;

private:
    bool SendLog();

    QPlainTextEdit* m_report;
    CFlatButton* m_send;
    CFlatButton* m_ok;
};
