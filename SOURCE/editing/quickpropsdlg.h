// The simple contact editor: names, one home address, a home and a business
// phone and e-mail, a web page, the birthday and notes in one framed
// dialog. Like the full editor it works on a copy and writes back only what
// the user changed.
#pragma once

#include "controls/framedialog.h"
#include "controls/menubutton.h"
#include "core/records.h"

#include <memory>
#include <string>

class CDateField;
class CFlatButton;
class CSlotFields;
class DataMan;
class QLineEdit;
class QPlainTextEdit;
class UserMan;

class CDialogQuickProps : public CFramedDialog, public CDropMenuOwner {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 144;
    static constexpr int kSwitchId = 1332;
    static constexpr int MODE_NEW = 1;
    static constexpr int MODE_EDIT = 2;

    CDialogQuickProps(DataMan& dataMan, UserMan& userMan, QWidget* parent = nullptr);
    ~CDialogQuickProps() override;

    int NewContact(const std::string& phone, const std::string& email);
    int EditContact(Contact* contact);
    // The halves of a run (see CDialogContactProps).
    void StartNew(const std::string& phone, const std::string& email);
    bool StartEdit(Contact* contact);
    int Finish(int result);

    Contact* GetContact() const { return m_pContact.get(); }
    QString DisplayName() const { return m_displayName; }

    CSlotFields* Slots() const { return m_slots; }
    QLineEdit* FirstEdit() const { return m_first; }
    QLineEdit* MiddleEdit() const { return m_middle; }
    QLineEdit* LastEdit() const { return m_last; }
    QPlainTextEdit* StreetEdit() const { return m_street; }
    QLineEdit* CityEdit() const { return m_city; }
    QLineEdit* WebEdit() const { return m_web; }
    CDateField* BirthdayField() const { return m_birthday; }
    QPlainTextEdit* NotesEdit() const { return m_notes; }
    CFlatButton* OkButton() const { return m_ok; }
    CFlatButton* SwitchButton() const { return m_switch; }
    CFlatButton* GoButton() const { return m_go; }

    bool m_bSwitchMode = false;
    u32 m_nNewContactId = 0xFFFFFFFF;
    int m_nNewContactIndex = -1;
    int m_nMode = -1;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load();
    void StoreInto(Contact& contact) const;
    void OnNameEdited();
    void UpdateControls();
    void UpdateTitle();

    DataMan& m_dataMan;
    UserMan& m_userMan;
    std::unique_ptr<Contact> m_pContact;
    Contact* m_pEdited = nullptr;
    CSlotFields* m_slots;
    QLineEdit* m_first;
    QLineEdit* m_middle;
    QLineEdit* m_last;
    QPlainTextEdit* m_street;
    QLineEdit* m_city;
    QLineEdit* m_state;
    QLineEdit* m_zip;
    QLineEdit* m_country;
    QLineEdit* m_web;
    CFlatButton* m_go;
    CDateField* m_birthday;
    QPlainTextEdit* m_notes;
    CFlatButton* m_ok;
    CFlatButton* m_cancel;
    CFlatButton* m_switch;

    QString m_displayName;
    int m_nFormat = 2;
    int m_nLoadedFormat = 2;
    std::string m_loadedWeb;
};
