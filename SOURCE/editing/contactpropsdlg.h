// The full contact editor: the General, Business, Home, Personal and
// Advanced pages in a page host, with OK, Cancel and "Switch to simple
// mode". It works on a copy of the contact; OK writes back only what the
// user changed and saves, Cancel leaves no trace.
#pragma once

#include "core/records.h"
#include "editing/dialogpagehost.h"

#include <memory>
#include <string>

class CContactAdvancedPage;
class CContactBusinessPage;
class CContactGeneralPage;
class CContactHomePage;
class CContactPersonalPage;
class CFlatButton;
class DataMan;
class UserMan;

class CDialogContactProps : public CDialogPageHost {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 110;
    static constexpr int kSwitchId = 1332;
    static constexpr int kNoStartPage = 111;
    static constexpr int ID_PAGE_GENERAL = 32896;
    static constexpr int ID_PAGE_BUSINESS = 32897;
    static constexpr int ID_PAGE_HOME = 32898;
    static constexpr int ID_PAGE_PERSONAL = 32899;
    static constexpr int ID_PAGE_ADVANCED = 32900;
    static constexpr int MODE_NEW = 1;
    static constexpr int MODE_EDIT = 2;

    CDialogContactProps(DataMan& dataMan, UserMan& userMan, QWidget* parent = nullptr);
    ~CDialogContactProps() override;

    // Runs the dialog on a new contact, with a phone and an e-mail address
    // preset when given; IDOK or IDCANCEL.
    int NewContact(const std::string& phone, const std::string& email);
    // Runs the dialog on a copy of the contact; IDOK or IDCANCEL (also for
    // no contact).
    int EditContact(Contact* contact);
    // The halves of a run, for callers that show the dialog themselves:
    // Start sets the contact up and fills the pages; Finish does what the
    // result asks and returns it.
    void StartNew(const std::string& phone, const std::string& email);
    bool StartEdit(Contact* contact);
    int Finish(int result);

    // For the pages.
    Contact* GetContact() const { return m_pContact.get(); }
    int GetMode() const { return m_nMode; }
    DataMan& GetDataMan() const { return m_dataMan; }
    UserMan& GetUserMan() const { return m_userMan; }
    void UpdateTitle(const QString& name);
    // At most one of the two addresses is the default.
    void SetDefaultAddress(bool home);

    CContactGeneralPage* GeneralPage() const { return m_pGeneral; }
    CContactBusinessPage* BusinessPage() const { return m_pBusiness; }
    CContactHomePage* HomePage() const { return m_pHome; }
    CContactPersonalPage* PersonalPage() const { return m_pPersonal; }
    CContactAdvancedPage* AdvancedPage() const { return m_pAdvanced; }
    CFlatButton* SwitchButton() const { return m_btnSwitch; }

    // What the caller reads after a run.
    bool m_bSwitchMode = false;
    int m_nStartPage = kNoStartPage;
    u32 m_nNewContactId = 0xFFFFFFFF;
    // Where DataMan put the new contact, -1 before.
    int m_nNewContactIndex = -1;
    int m_nMode = -1;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void LoadPages();
    // The pages' fields into the dialog's contact.
    void SaveToContact();
    int FinishNew();
    int FinishEdit();
    std::vector<Book*> ListedBooks() const;

    DataMan& m_dataMan;
    UserMan& m_userMan;
    std::unique_ptr<Contact> m_pContact;
    Contact* m_pEdited = nullptr;
    CContactHomePage* m_pHome;
    CContactBusinessPage* m_pBusiness;
    CContactGeneralPage* m_pGeneral;
    CContactPersonalPage* m_pPersonal;
    CContactAdvancedPage* m_pAdvanced;
    CFlatButton* m_btnSwitch;
};
