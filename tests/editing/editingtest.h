// A store in temporary folders for the contact dialogs, a contact with
// every field filled, and a second reading of what was saved.
#pragma once

#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "support/testenv.h"

#include <QApplication>
#include <memory>

class EditingTest : public TolvaTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A contact in the root book with every field the dialogs show, and a
    // few they do not.
    Contact* AddFullContact();
    Book* AddBook(const std::string& name);
    // The contacts as a fresh run reads them back from the data file.
    std::vector<std::unique_ptr<Contact>> StoredContacts();
    QByteArray DataFile() const { return Contents("tolva.rdf"); }

    std::unique_ptr<UserMan> m_userMan;
    std::unique_ptr<CDataFile> m_file;
    std::unique_ptr<DataMan> m_dataMan;
};

Contact MakeFullContact();
// Shows the window and makes it the active one, so keys reach it.
void ShowActive(QWidget& window);
