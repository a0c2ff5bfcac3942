// Any bytes as a .cdb database: loading never crashes, every computation on what was kept ends,
// deleting inputs leaves no dangling link, and what was kept writes an image that reads back
// whole and writes the same bytes again.
#include "Database.h"
#include "Seams.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace estimating;

namespace {

const std::string& scratchPath() {
    static const std::string path = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    std::string("/obravel-fuzz-cdb-") + std::to_string(getpid()) +
                                    ".cdb";
    return path;
}

bool writeScratch(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(scratchPath().c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

void computeEverything(TInsumos& collection) {
    for (const auto& entry : collection.List()) {
        TInsumoCompuesto* input = entry->AsCompuesto();
        if (input == nullptr)
            continue;
        input->ComputePrice();
        input->UsesCode("C000001");
        input->ContainsBudget("P000001");
        for (const TItem& exploded : input->Items().Exploded())
            if (exploded.Insumo != nullptr)
                (void)exploded.Insumo->Price();
    }
}

void computeEverything(TDocument& document) {
    computeEverything(document.Primaries);
    computeEverything(document.Compounds);
    computeEverything(document.Budgets);
}

std::string imageOf(TDocument& document) {
    TArchive archive;
    archive.SetStoring(true);
    archive.Open();
    document.Transfer(archive);
    std::string image = archive.Image();
    archive.Discard();
    return image;
}

void expectSameImageAfterReading(const std::string& image) {
    TDocument again;
    again.Archive.SetStoring(false);
    again.Archive.OpenImage(image);
    if (!again.Transfer(again.Archive) || again.Archive.Remaining() != 0 || imageOf(again) != image)
        std::abort();
}

void deleteSome(TDocument& document) {
    if (document.Compounds.Count() > 0)
        document.Compounds.Delete(0);
    if (document.Budgets.Count() > 0)
        document.Budgets.Delete(document.Budgets.Count() - 1);
    if (document.Primaries.Count() > 0) {
        document.Primaries.Insumo(0).SetDeleted(1);
        document.Compounds.PurgeDeleted();
        document.Primaries.Delete(0);
    }
    document.PurgeBudgetItems();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (SetMessageSink([](const std::string&) {}), true);
    (void)quiet;
    if (!writeScratch(data, size))
        return 0;
    TDocument document;
    document.SetFileName(scratchPath());
    document.Load();
    computeEverything(document);
    expectSameImageAfterReading(imageOf(document));
    deleteSome(document);
    computeEverything(document);
    expectSameImageAfterReading(imageOf(document));
    return 0;
}
