// A contact written as a vCard file: saved where the user chose, or put in
// a private temporary folder to go out as a mail attachment.
#pragma once

#include "platform/wintypes.h"

#include <QDateTime>
#include <QString>
#include <functional>

class Contact;

// The contact's name, else its first, middle and last names, made safe
// for a file name, with ".vcf".
QString VCardFileName(const Contact& contact);
// A filter of the string table ("vCard file (*.vcf)|*.vcf||") as a file
// dialog takes it.
QString VCardDialogFilter(const QString& tableFilter);
// 0, or the error when the file could not be written whole; the old file
// then stays.
u32 WriteVCardFile(const Contact& contact, const QString& path);
// Writes the card into a folder of its own that only this user can read
// and hands it to the mailer. The mailer returns before the mail program
// has read the card, so the card stays until CleanForwardedCards; false
// when it could not be written or the mailer failed (the card is then
// removed).
bool ForwardVCard(
    const Contact& contact, const std::function<bool(const QString& path, const QString& name)>& mailer);
// Where forwarded cards wait, in the program's folder.
QString ForwardFolder();
// Removes the cards forwarded by earlier runs, once they are an hour old;
// called at start, so a card never goes while this run may still need it.
void CleanForwardedCards(const QDateTime& now);
