// What the full and the simple contact dialog share about one run: new or
// edit mode, the working copy the dialog edits, the stored contact it
// replaces on OK, and starting and finishing the run. The dialog supplies
// LoadContact (fill its fields from the copy), Finish and DoModal.
#pragma once

#include "core/records.h"
#include "platform/msgbox.h"
#include "platform/wintypes.h"

#include <memory>
#include <string>

template <class Dialog> class CContactRun {
public:
    static constexpr int MODE_NEW = 1;
    static constexpr int MODE_EDIT = 2;

    // Runs the dialog on a new contact, with a phone and an e-mail address
    // preset when given; IDOK or IDCANCEL.
    int NewContact(const std::string& phone, const std::string& email)
    {
        StartNew(phone, email);
        return Self().Finish(Self().DoModal());
    }
    // Runs the dialog on a copy of the contact; IDOK or IDCANCEL (also for
    // no contact).
    int EditContact(Contact* contact)
    {
        if (!StartEdit(contact))
            return IDCANCEL;
        return Self().Finish(Self().DoModal());
    }
    // The first half of a run, for callers that show the dialog themselves:
    // the contact is set up and the fields filled; Finish does the rest.
    void StartNew(const std::string& phone, const std::string& email)
    {
        m_nMode = MODE_NEW;
        m_pContact = std::make_unique<Contact>();
        if (!phone.empty())
            m_pContact->m_phones.push_back({CV_DEFAULT_HOME_PHONE | 1, phone});
        if (!email.empty())
            m_pContact->m_emails.push_back({CV_DEFAULT_HOME_EMAIL | 1, email});
        Self().LoadContact();
    }
    bool StartEdit(Contact* contact)
    {
        if (!contact)
            return false;
        m_nMode = MODE_EDIT;
        m_pEdited = contact;
        m_pContact = std::make_unique<Contact>(*contact);
        Self().LoadContact();
        return true;
    }

    Contact* GetContact() const { return m_pContact.get(); }

    // What the caller reads after a run.
    bool m_bSwitchMode = false;
    u32 m_nNewContactId = 0xFFFFFFFF;
    // Where DataMan put the new contact, -1 before.
    int m_nNewContactIndex = -1;
    int m_nMode = -1;

protected:
    std::unique_ptr<Contact> m_pContact = std::make_unique<Contact>();
    Contact* m_pEdited = nullptr;

private:
    Dialog& Self() { return static_cast<Dialog&>(*this); }
};
