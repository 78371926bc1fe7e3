// The program's own formats for contacts and books on the clipboard and in
// drag and drop. Contacts travel as a 32-bit count followed by that many
// contact records, written and read through the memory channel of the file
// layer; a book travels as its 32-bit id and only inside one running
// program.
//
// A payload can come from any program, so it is read strictly: either every
// contact it announces reads whole, with nothing left over, or nothing is
// taken.
#pragma once

#include "platform/wintypes.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

class Contact;
class QMimeData;

// The MIME types the two registered formats travel under.
QString ContactFormatMime();
QString BookFormatMime();

// More contacts than this in one payload are taken for damage.
constexpr u32 kMaxPayloadContacts = 1000000;

// The payload of the contacts given; empty when a record could not be
// written.
QByteArray WriteContactPayload(const std::vector<Contact*>& contacts);
// Reads a payload into new contacts (no id, no books). 0, or RC_BAD_RECORD
// for a payload that is not sound, in which case no contact is given.
u32 ReadContactPayload(const QByteArray& bytes, std::vector<std::unique_ptr<Contact>>& contacts);
// The payload offered under the contact format, or an error when there is
// none.
u32 ReadContactPayload(const QMimeData* data, std::vector<std::unique_ptr<Contact>>& contacts);

QByteArray WriteBookPayload(u32 bookId);
// False unless the bytes are exactly one id.
bool ReadBookPayload(const QByteArray& bytes, u32& bookId);
