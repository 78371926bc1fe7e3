// Arbitrary bytes as the second data file "tolva.ndf" (the side tables).
#include "datastore_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzstore::OnlyFile("tolva.ndf", data, size);
    fuzzstore::Run run;
    if (run.result != 0)
        return 0;
    run.dm.SetAlphabetFilter(kFilterFirstLetter + (size % 52));
    run.dm.GetFilterLetterText();
    for (u32 kind = DMK_ALPHABET; kind <= DMK_TIME_ZONE; ++kind)
        run.dm.RemoveAt(kind, 0);
    fuzzstore::SaveAndReload(run);
    return 0;
}
