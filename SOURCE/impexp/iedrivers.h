// What runs when the import/export wizard finishes, and the vCard import of
// dropped or pasted files: each format's import or export with the
// wizard's options, reported the same way whichever way it was reached.
// An import either comes in whole or leaves the store as it was.
#pragma once

#include "platform/wintypes.h"

#include <string>
#include <vector>

class Book;
class DataMan;
class IEWizard;
class QObject;

struct IEOutcome {
    u32 result = 0;  // 0 or the failure's code
    bool import = true;
    u32 books = 0;  // books added
    u32 contacts = 0;  // contacts added or updated
    u32 updated = 0;  // of those, contacts of the same name that were updated
    // What the file offered (cards, or files of a drop) when that is known
    // and more than came in; 0 otherwise.
    u32 offered = 0;
    // Whether the store changed, so that the data file is worth saving.
    bool changed = false;
    std::string detail;  // why it failed, or what was left out
    // What could not be read of files that were imported, for the user;
    // the error log lists all of it. For an export, what it could not
    // write as the book holds it.
    std::string problems;
};

// Runs the import or export that the finished wizard chose. File errors
// are shown as they happen; the outcome is for ReportOutcome.
IEOutcome RunImportExport(IEWizard& wizard, DataMan& dataMan, QObject* owner);

// Imports the cards of each file into the book (the current book when
// null), in order, without merging; stops at the first file that cannot be
// read. The files before it stay imported. Nothing is shown: the outcome
// says why a file could not be read, so ReportOutcome tells it once.
IEOutcome ImportVCardFiles(DataMan& dataMan, const std::vector<std::string>& paths, Book* book);

// What the user is told: after a failure that it failed and why, never a
// count; after an import the counts, with what was left out.
std::string OutcomeText(const IEOutcome& outcome);
// Shows the text: a failure with the stop icon, an import's counts with
// the information icon, or the exclamation icon when something was left
// out; a successful export shows only what it could not write as it stands.
void ReportOutcome(const IEOutcome& outcome, QObject* owner);
