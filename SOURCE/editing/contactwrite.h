// How the contact dialogs hand their result to the store, shared by the
// full and the simple dialog.
#pragma once

#include "core/records.h"

#include <QString>
#include <memory>
#include <vector>

class DataMan;

// Adds a new contact, created and modified now, to the books (the current
// book when none are given). Returns the contact as DataMan keeps it and
// its index, or null when DataMan refused it.
Contact* AddNewContact(
    DataMan& dataMan, std::unique_ptr<Contact> contact, const std::vector<Book*>& books, int& index);

// Writes the edited copy back into the contact: its fields, and its books
// when a list is given that differs from the contact's. Nothing is touched
// when nothing differs. True when the contact changed (its modified time is
// then now).
bool WriteBackContact(DataMan& dataMan, Contact& contact, Contact& edited, const std::vector<Book*>& books);

// Whether two contacts hold the same data, books and id apart.
bool SameContactData(const Contact& a, const Contact& b);

// The first entry of the web list carrying the flag (with flag 0: the
// first of the type), or null.
ContactValue* FindWeb(std::vector<ContactValue>& web, u32 flag, u32 type);
// The web (or ICQ) field into the list: the entry sets its text, a new text
// gets a new entry of newCode, an emptied field drops its entry. A field
// still showing what was loaded changes nothing.
void StoreWeb(std::vector<ContactValue>& web, u32 flag, u32 type, u32 newCode, const std::string& loaded,
    const std::string& text);
// The text of an edit into the field, unless it shows what the field holds
// (a line break stored as CR LF shows as LF and stays as it was).
void StoreText(std::string& field, const std::string& shown);
// "Go" has something to open: not empty and not just "http://".
bool IsWebPageGiven(const QString& text);
