// The real main window over a store of a few contacts, in temporary
// program and settings folders.
#pragma once

#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "mainwnd/contactview.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/editinghooks.h"
#include "mainwnd/mainframe.h"
#include "support/testenv.h"
#include "telephony/tapiman.h"

#include <QAction>
#include <QApplication>
#include <memory>

// Editing dialogs that answer as a test says.
class FakeEditing : public CEditingHooks {
public:
    int NewContact(QWidget*, bool, const std::string&, const std::string&, bool&) override
    {
        return newIndex;
    }
    bool EditContact(QWidget*, Contact& contact, bool, int&, bool&) override
    {
        contact.m_strName = editedName;
        return editOk;
    }
    bool Preferences(QWidget*, int) override { return false; }
    bool ChooseBooks(QWidget*, int, std::vector<Book*>& books, std::string&) override
    {
        books = chosen;
        return !chosen.empty();
    }
    bool BookProperties(QWidget*, Book&, bool) override { return false; }

    int newIndex = -1;
    std::string editedName = "Edited";
    bool editOk = true;
    std::vector<Book*> chosen;
};

class FrameTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        m_userMan = std::make_unique<UserMan>();
        ASSERT_EQ(m_userMan->Init(1), 0);
        m_file = std::make_unique<CDataFile>();
        ASSERT_EQ(m_file->Open(), 0u);
        m_dataMan = std::make_unique<DataMan>(*m_file, m_userMan.get());
        ASSERT_EQ(m_dataMan->Init(), 0u);
        m_dataMan->SetAlphabetFilter(kFilterAll);
        m_tapiMan = std::make_unique<TapiMan>();
        for (const char* name : {"Anna Berg", "Bruno Cole", "Carla Dean"})
            AddContact(name);
    }
    void TearDown() override
    {
        m_frame.reset();
        m_dataMan->Close();
        m_file->Close();
        m_dataMan.reset();
        TolvaTest::TearDown();
    }

    Contact* AddContact(const std::string& name, Book* book = nullptr)
    {
        auto contact = std::make_unique<Contact>();
        contact->m_strName = name;
        contact->m_strLastName = name.substr(name.find(' ') + 1);
        Contact* raw = contact.get();
        EXPECT_EQ(m_dataMan->AddContact(std::move(contact), book ? book : m_dataMan->GetRootBook()), 0u);
        return raw;
    }

    // The current alphabet, so that the letter commands filter.
    void AddAlphabet(const std::string& letters)
    {
        auto alphabet = std::make_unique<Alphabet>();
        alphabet->m_strName = "Latin";
        alphabet->m_strLetters = letters;
        alphabet->m_dwFlags = ALPHABET_CURRENT;
        m_dataMan->Add(std::move(alphabet));
    }

    CMainFrame& Frame()
    {
        if (!m_frame) {
            m_frame = std::make_unique<CMainFrame>(*m_userMan, *m_dataMan, *m_tapiMan);
            m_frame->resize(900, 600);
            m_frame->show();
            QApplication::processEvents();
        }
        return *m_frame;
    }
    CContainerWnd& Container() { return *Frame().GetContainer(); }
    ContactListView& Grid() { return Container().Grid(); }
    QAction* Command(u32 id) { return Frame().findChild<QAction*>(QStringLiteral("cmd%1").arg(id)); }
    bool Enabled(u32 id)
    {
        Frame().UpdateAllCommands();
        return Command(id)->isEnabled();
    }
    void Trigger(u32 id)
    {
        ASSERT_TRUE(Enabled(id)) << id;
        Command(id)->trigger();
        QApplication::processEvents();
    }
    void Select(const std::vector<int>& rows)
    {
        const std::vector<Contact*> shown = Grid().ShownContacts();
        std::vector<Contact*> wanted;
        for (int row : rows)
            wanted.push_back(shown.at(size_t(row)));
        Grid().SelectContacts(wanted);
        QApplication::processEvents();
    }

    void SelectNone()
    {
        Grid().SelectContacts({});
        QApplication::processEvents();
    }

    // The names of the contacts of a book as a second run would read them
    // from the data file now.
    std::vector<std::string> StoredNames(const std::string& bookName);

    std::unique_ptr<UserMan> m_userMan;
    std::unique_ptr<CDataFile> m_file;
    std::unique_ptr<DataMan> m_dataMan;
    std::unique_ptr<TapiMan> m_tapiMan;
    std::unique_ptr<CMainFrame> m_frame;
    FakeEditing m_editing;
};
