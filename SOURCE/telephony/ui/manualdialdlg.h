// The "Manual Dial" dialog: a number typed or picked from the history of
// numbers dialed before, dialed through TapiMan or made into a new contact.
#pragma once

#include "controls/framedialog.h"

#include <functional>
#include <string>
#include <vector>

class CFlatButton;
class QComboBox;
class TapiMan;

class CDialogManualDial : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 135;
    static constexpr int kNumberId = 1650;
    static constexpr int kDialId = 1651;
    static constexpr int kCreateId = 1652;

    explicit CDialogManualDial(TapiMan& tapiMan, QWidget* parent = nullptr);

    // What "Create contact" does with the number: the contacts' new-contact
    // flow, given by the window that opens this dialog.
    void SetCreateContact(std::function<void(const std::string& phone)> create)
    {
        m_createContact = std::move(create);
    }

    const std::vector<std::string>& History() const { return m_history; }
    QComboBox* NumberBox() const { return m_number; }
    CFlatButton* DialButton() const { return m_dial; }

    void OnDial();
    void OnCreateContact();

    void done(int result) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    std::string Number() const;

    TapiMan& m_tapiMan;
    std::vector<std::string> m_history;
    std::function<void(const std::string&)> m_createContact;
    QComboBox* m_number;
    CFlatButton* m_dial;
    CFlatButton* m_close;
    CFlatButton* m_create;
};
