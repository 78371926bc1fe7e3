// The full contact editor: the General, Business, Home, Personal and
// Advanced pages in a page host, with OK, Cancel and "Switch to simple
// mode". It works on a copy of the contact; OK writes back only what the
// user changed and saves, Cancel leaves no trace.
#pragma once

#include "core/records.h"
#include "editing/contactrun.h"
#include "editing/dialogpagehost.h"

#include <memory>
#include <string>

class CContactAdvancedPage;
class CContactBusinessPage;
class CContactGeneralPage;
class CContactHomePage;
class CContactPersonalPage;
class CContactPostalPage;
class CFlatButton;
class DataMan;
class UserMan;

class CDialogContactProps : public CDialogPageHost, public CContactRun<CDialogContactProps> {
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
    static constexpr int ID_PAGE_POSTAL = 32901;

    CDialogContactProps(DataMan& dataMan, UserMan& userMan, QWidget* parent = nullptr);
    ~CDialogContactProps() override;

    // Does what the run's result asks and returns it.
    int Finish(int result);

    // For the pages.
    int GetMode() const { return m_nMode; }
    DataMan& GetDataMan() const { return m_dataMan; }
    UserMan& GetUserMan() const { return m_userMan; }
    void UpdateTitle(const QString& name);
    // At most one address is the default: the pages of the other kinds
    // uncheck theirs.
    void SetDefaultAddress(u32 addressType);

    CContactGeneralPage* GeneralPage() const { return m_pGeneral; }
    CContactBusinessPage* BusinessPage() const { return m_pBusiness; }
    CContactHomePage* HomePage() const { return m_pHome; }
    CContactPostalPage* PostalPage() const { return m_pPostal; }
    CContactPersonalPage* PersonalPage() const { return m_pPersonal; }
    CContactAdvancedPage* AdvancedPage() const { return m_pAdvanced; }
    CFlatButton* SwitchButton() const { return m_btnSwitch; }

    int m_nStartPage = kNoStartPage;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    friend class CContactRun<CDialogContactProps>;
    void LoadContact();
    // The pages' fields into the dialog's contact.
    void SaveToContact();
    int FinishNew();
    int FinishEdit();
    std::vector<Book*> ListedBooks() const;

    DataMan& m_dataMan;
    UserMan& m_userMan;
    CContactHomePage* m_pHome;
    CContactBusinessPage* m_pBusiness;
    CContactPostalPage* m_pPostal;
    CContactGeneralPage* m_pGeneral;
    CContactPersonalPage* m_pPersonal;
    CContactAdvancedPage* m_pAdvanced;
    CFlatButton* m_btnSwitch;
    // Watching the address formats, whose list a page can edit.
    int m_nFormatWatch = 0;
};
