// The Business and Home pages: one address, the phone and e-mail slots, a
// web page with "Go", and the page's own further fields (the company
// fields on the Business page, the ICQ number on the Home page). The Postal
// page has the address alone.
#pragma once

#include "core/addressformat.h"
#include "editing/contactpage.h"
#include "editing/contactslots.h"

#include <string>
#include <vector>

class CSlotFields;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CContactAddressPage : public CContactPage {
    Q_OBJECT
public:
    void Store() override;
    // The address, the web page (and the page's further fields) into the
    // contact. Values the page does not show stay as they are.
    virtual void StoreInto(Contact& contact) const;

    bool IsDefaultAddress() const;
    void SetDefaultCheck(bool on);
    int FormatIndex() const { return m_nFormat; }
    // The list of formats was edited while the page is open: the page's
    // choice stays on its format.
    void RemapFormat(const AddressFormatRemap& remap);

    void OnFormat();
    void OnGo();

    CSlotFields* Slots() const { return m_slots; }
    QCheckBox* DefaultCheck() const { return m_default; }
    QPlainTextEdit* StreetEdit() const { return m_street; }
    QLineEdit* CityEdit() const { return m_city; }
    // Null on a page without a web page.
    QLineEdit* WebEdit() const { return m_web; }
    QPushButton* GoButton() const { return m_go; }

protected:
    // The ids of a page's controls. A page whose web flag is 0 has no web
    // page row.
    struct Ids {
        int street, city, state, zip, country, defaultCheck, format, web, go;
    };
    CContactAddressPage(CDialogContactProps* host, int captionId, const char* caption, HelpPairs help,
        u32 addressType, u32 webFlag, u32 webType, u32 defaultFormat, const Ids& ids);

    void LoadFrom(Contact& contact) override;
    bool FillDropMenu(int buttonId, QMenu* menu) override;
    void OnTypePicked(int position) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Places the address with the slots beside it, and the web page row
    // when the page has one.
    void FinishLayout(int addressRow, int webRow);
    // The focus order: the widgets given, in order.
    void SetTabChain(const std::vector<QWidget*>& chain);
    std::vector<QWidget*> AddressChain() const;
    std::vector<QWidget*> SlotChain() const;
    // A line edit of the page with its id.
    QLineEdit* NewEdit(int id);

private:
    void UpdateGo();
    void StoreWebInto(Contact& contact) const;

    u32 m_addressType;
    u32 m_webFlag;
    u32 m_webType;
    u32 m_defaultFormat;
    CSlotFields* m_slots;
    QPlainTextEdit* m_street;
    QLineEdit* m_city;
    QLineEdit* m_state;
    QLineEdit* m_zip;
    QLineEdit* m_country;
    QCheckBox* m_default;
    QPushButton* m_format;
    QLineEdit* m_web;
    QPushButton* m_go;

    int m_nFormat = 0;
    // What the contact held when the page was filled, so that OK changes
    // only what the user changed.
    ContactAddress m_loadedAddress;
    size_t m_nLoadedIndex = 0;
    bool m_hadAddress = false;
    bool m_loadedDefault = false;
    int m_nLoadedFormat = 0;
    std::string m_loadedWeb;
};

class CContactBusinessPage : public CContactAddressPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 112;
    explicit CContactBusinessPage(CDialogContactProps* host);

    void StoreInto(Contact& contact) const override;
    QLineEdit* CompanyEdit() const { return m_company; }

protected:
    void LoadFrom(Contact& contact) override;

private:
    QLineEdit* m_company;
    QLineEdit* m_department;
    QLineEdit* m_office;
    QLineEdit* m_jobTitle;
};

class CContactHomePage : public CContactAddressPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 113;
    explicit CContactHomePage(CDialogContactProps* host);

    void StoreInto(Contact& contact) const override;
    QLineEdit* IcqEdit() const { return m_icq; }

protected:
    void LoadFrom(Contact& contact) override;

private:
    QLineEdit* m_icq;
    std::string m_loadedIcq;
};

class CContactPostalPage : public CContactAddressPage {
    Q_OBJECT
public:
    static constexpr int kCaptionId = 1354;
    explicit CContactPostalPage(CDialogContactProps* host);
};
