// Adding the contacts of a vCard file to a book.
#pragma once

#include "platform/wintypes.h"

class Book;
class DataMan;
class QIODevice;

// Reads the cards of the file and adds their contacts to the book (the
// current book when none is given). With merge, a contact whose name parts
// equal those of a contact of the book updates that contact instead. The
// count is the number of contacts added or updated. 0 when the file gave at
// least one contact, else the reader's failure (nothing is added); a failure
// to add a contact stops the import with DataMan's code.
u32 ImportVCardContacts(DataMan& dataMan, QIODevice* file, bool merge, Book* book, u32& count);

// Makes room in the store for the cards a large file holds, counted by a
// quick look for their first lines; the file is left where it was. Files
// that can only be read once, and small ones, are left alone.
void ReserveForCards(DataMan& dataMan, QIODevice& file);
