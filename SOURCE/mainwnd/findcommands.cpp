// The letter filter and quick find: choosing a letter or a book refills
// the list; find mode lists the contacts whose chosen fields hold a text.
#include "core/dataman.h"
#include "core/utilities.h"
#include "mainwnd/alphabetbar.h"
#include "mainwnd/bookbanner.h"
#include "mainwnd/contactinfopane.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/gridcontactview.h"
#include "mainwnd/mainframe.h"
#include "mainwnd/rgridctrl.h"

#include <algorithm>

namespace {

constexpr u32 IDS_SEARCH_EMPTY = 59526;
constexpr u32 IDS_NOT_FOUND = 59527;

}  // namespace

void CContainerWnd::SetCurrentLetterCommand(u32 command)
{
    m_dataMan.SetAlphabetFilter(command);
    m_alphabetBar->SetCurrent(m_dataMan.GetAlphabetFilter());
    m_banner->SetLetterText(QString::fromStdString(m_dataMan.GetFilterLetterText()));
    RefreshGrid();
}

void CContainerWnd::RefreshGrid()
{
    m_grid->Refill();
    // The pane shows the row the refill selected, as it does at start.
    m_infoTimer.stop();
    m_pInfoContact = GetFocusedContact();
    if (m_infoPane)
        m_infoPane->FillHtml(m_pInfoContact);
    UpdateCount();
    m_frame.RequestIdleUpdate();
}

void CContainerWnd::OnAlphabetLetter(u32 command)
{
    if (m_bFindMode) {
        m_nSavedLetter = command;
        OnFindContact();
        return;
    }
    if (command == m_dataMan.GetAlphabetFilter())
        return;
    m_grid->SaveLayout();
    SetCurrentLetterCommand(command);
}

void CContainerWnd::OnAlphabet()
{
    const int count = m_dataMan.GetCount(DMK_ALPHABET);
    const int current = m_dataMan.GetCurrentAlphabetIndex();
    if (count <= 0)
        return;
    m_frame.SetCurrentAlphabet((current + 1) % count);
}

void CContainerWnd::RefreshForBook()
{
    if (m_bFindMode) {
        OnFindContact();
        return;
    }
    m_banner->SetBookName(QString::fromStdString(m_dataMan.GetCurrentBookName()));
    SetCurrentLetterCommand(m_dataMan.GetAlphabetFilter());
}

void CContainerWnd::OnFindContact()
{
    if (!m_bFindMode) {
        if (m_infoPane)
            m_infoPane->FillHtml(nullptr);
        m_pInfoContact = nullptr;
        m_nSavedLetter = m_dataMan.GetAlphabetFilter();
        // A search knows no letter: whatever lists the book meanwhile lists
        // it whole, and no letter shows as chosen.
        m_dataMan.SetAlphabetFilter(u32(-1));
        m_alphabetBar->SetCurrent(u32(-1));
        m_grid->Clear();
        m_grid->Ctrl()->SetShowsFindResults(true);
        m_banner->EnterFindMode();
        m_bFindMode = true;
        RecalcLayout();
    } else {
        m_bFindMode = false;
        m_grid->Ctrl()->SetShowsFindResults(false);
        m_banner->LeaveFindMode();
        m_banner->SetBookName(QString::fromStdString(m_dataMan.GetCurrentBookName()));
        SetCurrentLetterCommand(u32(m_nSavedLetter));
        m_nSavedLetter = -1;
        RecalcLayout();
    }
    UpdateCount();
    m_frame.RequestIdleUpdate();
}

void CContainerWnd::PrepareClose()
{
    if (m_bFindMode)
        OnFindContact();
    m_grid->SaveLayout();
}

std::string CContainerWnd::BuildSearchText(const Contact& contact, u32 mask)
{
    std::string text;
    const auto add = [&text](const std::string& field) { text += field; };
    if (mask & 0x1) {
        for (const std::string* field : {&contact.m_strName, &contact.m_strFirstName, &contact.m_strTitle,
                 &contact.m_strMiddleName, &contact.m_strNickName, &contact.m_strLastName})
            add(*field);
    }
    if (mask & 0x2)
        add(contact.m_strCompany);
    if (mask & 0x4)
        add(contact.m_strDepartment);
    if (mask & 0x8)
        add(contact.m_strOffice);
    if (mask & 0x10)
        add(contact.m_strJobTitle);
    for (const ContactAddress& address : contact.m_addresses) {
        const u32 type = address.Type();
        if ((type == ADDR_BUSINESS && (mask & 0x20)) || (type == ADDR_HOME && (mask & 0x40))) {
            for (const std::string* field : {&address.m_strStreet, &address.m_strCity, &address.m_strState,
                     &address.m_strZip, &address.m_strCountry})
                add(*field);
        }
    }
    if (mask & 0x80)
        add(contact.m_strNotes);
    return text;
}

namespace {

// Whether a contact's search text, trimmed and upper-cased, holds the
// wanted text (already upper-cased). Most texts are plain ASCII: they are
// upper-cased in place, which gives what the full mapping would, and only
// other texts go through it, so that a search over many contacts stays
// quick.
class SearchMatcher {
public:
    explicit SearchMatcher(const QString& wanted)
        : m_wanted(wanted)
        , m_wantedBytes(wanted.toUtf8().toStdString())
    {
    }
    bool Matches(std::string text) const
    {
        if (!std::all_of(
                text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            return QString::fromStdString(text).trimmed().toUpper().contains(m_wanted);
        constexpr const char* kBlanks = " \t\n\v\f\r";
        const size_t first = text.find_first_not_of(kBlanks);
        if (first == std::string::npos)
            return m_wantedBytes.empty();
        const size_t last = text.find_last_not_of(kBlanks);
        std::string_view trimmed(text.data() + first, last - first + 1);
        for (char& c : text) {
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
        }
        return trimmed.find(m_wantedBytes) != std::string_view::npos;
    }

private:
    QString m_wanted;
    std::string m_wantedBytes;
};

}  // namespace

void CContainerWnd::Find(const QString& text, bool allBooks, u32 fieldMask)
{
    if (text.isEmpty()) {
        MsgWarning(IDS_SEARCH_EMPTY, window());
        return;
    }
    const SearchMatcher matcher(text.toUpper());
    m_bFindAllBooks = allBooks;
    m_grid->Clear();
    const Book* book = m_dataMan.GetCurrentBook();
    std::vector<Contact*> found;
    for (int i = 0; i < m_dataMan.GetContactCount(); ++i) {
        Contact* contact = m_dataMan.GetContactAt(i);
        if (!contact || (!allBooks && !m_dataMan.IsContactInBook(contact, book)))
            continue;
        if (matcher.Matches(BuildSearchText(*contact, fieldMask)))
            found.push_back(contact);
    }
    m_grid->AddContacts(found);
    if (found.empty())
        MsgInfoText(FormatResString(IDS_NOT_FOUND, text.toStdString()), window());
    m_grid->Repaint();
    UpdateCount();
}
