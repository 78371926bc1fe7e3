// vCard and vCalendar exchange. One object serves one import or one export.
// Reading hands each top-level block (a card, or a calendar with its events
// and to-dos) over as a CardNode tree while the file is read, so a file of
// any number of cards needs memory for the file and one card only.
#pragma once

#include "impexp/cardnode.h"
#include "impexp/cardreader.h"

#include <QtGlobal>
#include <string_view>
#include <vector>

class QIODevice;

class CCardExchange {
public:
    using ObjectHandler = CardReader::ObjectHandler;

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

private:
    CardReader m_reader;
};
