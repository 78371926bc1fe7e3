// A store for wizard tests, and the walk through the wizard's pages that a
// user makes for one format and direction.
#pragma once

#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "impexp/iewizard.h"
#include "support/testenv.h"

#include <memory>
#include <string>
#include <vector>

class WizardStoreTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        ASSERT_EQ(m_file.Open(), 0u);
        ASSERT_EQ(m_dm.Init(), 0u);
    }
    void TearDown() override
    {
        m_file.Close();
        TolvaTest::TearDown();
    }

    std::string Path(const char* name) const { return ProgramPath(name).toStdString(); }
    Book* NewBook(const char* name, Book* parent)
    {
        auto book = std::make_unique<Book>();
        book->m_strName = name;
        return m_dm.AddBook(std::move(book), parent);
    }
    Contact* AddNamed(const char* name, Book* book)
    {
        auto contact = std::make_unique<Contact>();
        contact->m_strName = name;
        int index = -1;
        EXPECT_EQ(m_dm.AddContact(std::move(contact), book, &index), 0u);
        return m_dm.GetContactAt(index);
    }
    std::vector<std::string> Names(const Book* book) const
    {
        std::vector<std::string> names;
        size_t position = 0;
        while (const Contact* c = book->GetNextContact(m_dm, position))
            names.push_back(c->m_strName);
        return names;
    }
    // Start, Type, Book and File pages as a user goes through them; true
    // when the File page was left (to the Fields page or finished).
    static bool WalkToFile(IEWizard& wizard, int direction, int format, Book* book, const std::string& path)
    {
        wizard.SetDirection(direction);
        if (!wizard.Next())
            return false;
        wizard.SelectFormat(format);
        if (!wizard.Next())
            return false;
        wizard.m_state.m_pTargetBook = book;
        if (!wizard.Next())
            return false;
        wizard.Path() = path;
        return wizard.HasFieldsPage() ? wizard.Next() : wizard.Finish();
    }

    UserMan m_user;
    CDataFile m_file;
    DataMan m_dm{m_file, &m_user};
};

// The store's user settings are the program's, as where the address
// formats and field texts read them.
class WizardAppStoreTest : public WizardStoreTest {
protected:
    void SetUp() override
    {
        WizardStoreTest::SetUp();
        m_user.Init(1);
        SetAppUserMan(&m_user);
    }
    void TearDown() override
    {
        SetAppUserMan(nullptr);
        WizardStoreTest::TearDown();
    }
};
