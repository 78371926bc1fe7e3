// Arbitrary bytes as the data file "tolva.rdf", and as its copy "tolva.rd0",
// which is read too when the data file does not read: a file that loads must
// give a store whose tree can be walked, exported, emptied and saved and
// loaded again.
#include "datastore_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzstore::OnlyFile("tolva.rdf", data, size);
    fuzzstore::Put("tolva.rd0", QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    fuzzstore::Run run;
    if (run.result != 0)
        return 0;
    std::vector<BookTreeItem> tree;
    run.dm.FillBookTree(tree, run.dm.GetRootBook()->m_duID, false);
    run.dm.ExportBook(fuzzstore::PathOf("all.dtv"), run.dm.GetRootBook());
    run.dm.IsContactShown(run.dm.GetContactAt(0));
    run.dm.UpgradeOldContacts();
    if (run.dm.GetBookCount() > 2)
        run.dm.DeleteBook(run.dm.GetBookAt(run.dm.GetBookCount() - 1), false);
    if (run.dm.EmptyDeletedItems() != 0)
        std::abort();
    fuzzstore::SaveAndReload(run);
    return 0;
}
