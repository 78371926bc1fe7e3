// A contact written as a vCard file: saved where the user chose, or put in
// a private temporary folder to go out as a mail attachment.
#pragma once

#include <QString>
#include <functional>

class Contact;

// The contact's name, else its first, middle and last names, made safe
// for a file name, with ".vcf".
QString VCardFileName(const Contact& contact);
// A filter of the string table ("vCard file (*.vcf)|*.vcf||") as a file
// dialog takes it.
QString VCardDialogFilter(const QString& tableFilter);
// False when the file could not be written whole; the old file then stays.
bool WriteVCardFile(const Contact& contact, const QString& path);
// Writes the card into a folder only this user can read, hands it to the
// mailer and removes it once the mailer returned.
bool ForwardVCard(
    const Contact& contact, const std::function<bool(const QString& path, const QString& name)>& mailer);
