// vCard and vCalendar exchange. One object serves one import or one export.
// Reading hands each top-level block (a card, or a calendar with its events
// and to-dos) over as a CardNode tree while the file is read, so a file of
// any number of cards needs memory for the file and one card only.
#pragma once

#include "core/records.h"
#include "impexp/cardnode.h"
#include "impexp/cardreader.h"
#include "impexp/cardrecord.h"

#include <QtGlobal>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class DelimitedTextFile;
class QIODevice;

class CCardExchange {
public:
    using ObjectHandler = CardReader::ObjectHandler;
    using ContactHandler = std::function<void(std::unique_ptr<Contact>)>;

    // Files larger than this are not read.
    static constexpr qint64 kMaxFileBytes = qint64(256) << 20;

    // Hands each complete top-level block to the handler in file order; its
    // tree lives until the handler returns. Returns the number handed over.
    int Parse(std::string_view text, const ObjectHandler& handler);
    // The same for the rest of a device opened for reading; -1 when it
    // cannot be read (see Issues).
    int Parse(QIODevice& device, const ObjectHandler& handler);

    // What was skipped, with line numbers, for the user.
    const std::vector<CardIssue>& Issues() const { return m_reader.Issues(); }
    int IssueCount() const { return m_reader.IssueCount(); }
    // Cards and calendars of the last parse that had an issue.
    int TroubledCards() const { return m_reader.TroubledBlocks(); }

    // Import. Every card of the rest of the device that holds anything a
    // contact keeps becomes one, in file order; calendars make none. The
    // contacts stay in Contacts() for the caller to take, or go to the
    // handler as they are made. 0 when at least one contact was made, else
    // RC_MISSING (a null or unreadable device, nothing but calendars or
    // empty cards), and the device is then set back to where it was.
    u32 LoadFromFile(QIODevice* file);
    u32 LoadFromFile(QIODevice* file, const ContactHandler& handler);
    std::vector<std::unique_ptr<Contact>>& Contacts() { return m_contacts; }

    // Empties the record; full also drops the contacts kept, the issues and
    // the loaded flag.
    void Reset(bool full);
    // Sets the record's kind by the object's name; a card's properties are
    // then mapped onto the record.
    void Classify(const CardNode& object);
    void MapProperty(const CardNode& property);
    // A contact of the record, kept or handed over, unless the record holds
    // nothing that a contact keeps; the record is reset either way.
    bool MakeContact();

    // Export. Copies a contact into the record (a card of kind Card).
    void CopyContact(const Contact& contact);
    void SetLoaded(bool loaded) { m_loaded = loaded; }
    bool IsLoaded() const { return m_loaded; }
    // The record as a card tree, valid until the next build or reset; null
    // when the record has no kind.
    const CardNode* BuildCard();
    // The record's card as text, in one write: 0, RC_NOTHING_LOADED when
    // nothing was copied in, RC_MISSING without a file, RC_SHORT_WRITE when
    // the file fails.
    u32 SaveToFile(DelimitedTextFile* file);
    // The text of the record's card, up to and including its END line.
    void WriteCard(std::string& out);

    CardRecord& Record() { return m_record; }
    const CardRecord& Record() const { return m_record; }

private:
    std::unique_ptr<Contact> ContactFromRecord() const;

    CardReader m_reader;
    CardRecord m_record;
    CardTree m_built;
    std::string m_text;  // of the card being saved
    std::string m_revision;  // REV of the cards this exchange writes
    std::vector<std::unique_ptr<Contact>> m_contacts;
    const ContactHandler* m_contactHandler = nullptr;
    bool m_loaded = false;
};

// How a card's tree is written out: BEGIN and END around objects, one line
// per property, values with line breaks as quoted-printable. The object's
// END line has no line end after it.
void WriteCardObject(const CardNode& object, std::string& out);
