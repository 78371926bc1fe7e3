// The "Call status" dialog: shows a call's progress while the modem dials
// and redials, and, once the user has lifted the receiver, the conversation
// time with the choice to log the call under a name.
#pragma once

#include "controls/framedialog.h"

class CallProgress;
class CFlatButton;
class QCheckBox;
class QLabel;
class QLineEdit;

class CDialogCallStatus : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 134;

    explicit CDialogCallStatus(CallProgress& progress, QWidget* parent = nullptr);

    CFlatButton* OkButton() const { return m_ok; }
    CFlatButton* CancelButton() const { return m_cancel; }
    QCheckBox* LogCheck() const { return m_log; }
    QLineEdit* NameEdit() const { return m_name; }
    // Null for a number without an extension.
    QLabel* ExtensionLabel() const { return m_extension; }
    QLabel* HintLabel() const { return m_hint; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void Refresh();
    void ShowHungUp();

    CallProgress& m_progress;
    bool m_bHungUpShown = false;
    QLabel* m_status;
    QLabel* m_attempt;
    QLabel* m_countdown;
    QLabel* m_elapsed;
    QLabel* m_hint = nullptr;
    // The extension to key by hand; shown only for a number that has one.
    QLabel* m_extension = nullptr;
    QCheckBox* m_log;
    QLineEdit* m_name;
    CFlatButton* m_ok;
    CFlatButton* m_cancel;
    // Shown while dialing, hidden once the receiver is lifted; and the other way round.
    QList<QWidget*> m_dialing;
    QList<QWidget*> m_talking;
};
