// The Preferences dialog: general, contact list, book tree, dialing,
// alphabets and time zones, one page each beside a vertical page bar.
#pragma once

#include "editing/dialogpagehost.h"
#include "editing/prefpages.h"

class CMainFrame;
class CTimeZonesPage;

class CDialogPreferences : public CDialogPageHost {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 101;
    static constexpr int kGeneralPage = 32917;
    static constexpr int kTimeZonesPage = 32922;

    CDialogPreferences(PrefContext& context, QWidget* parent = nullptr);
    // A page command (32917 to 32922) shown first; another shows General.
    void SetStartPage(int command) { m_nStartPage = command; }

    CPrefGeneralPage* General() const { return m_general; }
    CPrefContListPage* ContList() const { return m_contList; }
    CPrefBookTreePage* BookTree() const { return m_bookTree; }
    CPrefDialingPage* Dialing() const { return m_dialing; }
    CPrefAlphabetsPage* Alphabets() const { return m_alphabets; }
    CTimeZonesPage* TimeZones() const { return m_timeZones; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CPrefGeneralPage* m_general;
    CPrefContListPage* m_contList;
    CPrefBookTreePage* m_bookTree;
    CPrefDialingPage* m_dialing;
    CPrefAlphabetsPage* m_alphabets;
    CTimeZonesPage* m_timeZones;
    int m_nStartPage = kGeneralPage;
};

// What the pages reach, for the main window's Preferences command: the
// clock and "&Customize toolbar" go to the frame.
PrefContext MakePrefContext(CMainFrame& frame, UserMan& userMan, DataMan& dataMan, TapiMan& tapiMan);
// Runs the dialog at a start page (-1 the first); true on OK.
bool RunPreferences(PrefContext& context, QWidget* parent, int startPage);
