// Importing the entries of a system address book: a file's personal address
// book (its entries only), or the default address book with its containers
// as books. The stores are read by a source behind an interface; this system
// has no library that reads them, so no source is installed unless a
// program or test installs one. What is the program's own stands here: the
// property table that turns an entry into a contact, the default-address
// rule and the merge of same-named contacts.
#pragma once

#include "core/records.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class DataMan;
class ImportTransaction;

// Property types (the low word of a tag).
constexpr u32 PT_I2 = 0x0002;
constexpr u32 PT_STRING8 = 0x001E;
constexpr u32 PT_SYSTIME = 0x0040;
constexpr u32 PT_MV_STRING8 = 0x101E;

// Container flags.
constexpr u32 AB_RECIPIENTS = 1;
constexpr u32 AB_SUBCONTAINERS = 2;

// The result of a source that cannot be opened because its library is
// missing.
constexpr u32 kAddressBookLibraryMissing = 0x8007000E;

// One property of an entry; which member holds the value follows the type.
struct AbProperty {
    u32 tag = 0;
    std::string text;  // PT_STRING8
    std::vector<std::string> list;  // PT_MV_STRING8
    u64 fileTime = 0;  // PT_SYSTIME: 100 ns steps since 1601-01-01
    std::int16_t shortValue = 0;  // PT_I2
};
using AbEntry = std::vector<AbProperty>;

class AddressBookContainer {
public:
    virtual ~AddressBookContainer() = default;
    virtual std::string Name() const = 0;
    virtual u32 Flags() const = 0;
    // 0 or the failing result.
    virtual u32 GetChildren(std::vector<std::unique_ptr<AddressBookContainer>>& children) = 0;
    virtual u32 GetEntries(std::vector<AbEntry>& entries) = 0;
};

class AddressBookSource {
public:
    virtual ~AddressBookSource() = default;
    // The personal address book of a file, or the root of the default one.
    virtual u32 Open(std::unique_ptr<AddressBookContainer>& root) = 0;
};

// Opens the file at path, or the default address book for an empty path;
// null with the failing result when it cannot.
using AddressBookOpener
    = std::function<std::unique_ptr<AddressBookSource>(const std::string& path, u32& result)>;
// Installs the opener (an empty one removes it).
void SetAddressBookOpener(AddressBookOpener opener);
std::unique_ptr<AddressBookSource> OpenAddressBook(const std::string& path, u32& result);

// A property as text: a short as a number, a list as each non-empty value
// followed by a line end, any other type as the note of an unknown property.
std::string PropertyToText(const AbProperty& property, bool defaultBook);
// The contact an entry makes. The default book's entries also give the
// subject and the body, and fill Name and Notes only while they are empty.
std::unique_ptr<Contact> ContactFromEntry(const AbEntry& entry, bool defaultBook);

// Imports into the book (the current book when null) through the
// transaction, which counts what came in and undoes it all if anything
// fails. An empty path imports the default address book, with its
// containers as books; with merge, a book or contact of the same name is
// reused or updated instead of added.
u32 ImportAddressBook(
    DataMan& dataMan, const std::string& path, bool merge, Book* book, ImportTransaction& transaction);
