#include "OracleSupport.h"

#include <atomic>
#include <bit>
#include <sstream>
#include <unistd.h>

namespace oracle_tests {

namespace fs = std::filesystem;
using namespace estimating;

ScratchFolder::ScratchFolder() {
    static std::atomic<int> serial{0};
    // Memory-backed when the system has it: saving syncs the file, which a disk makes slow.
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    path_ = base / ("obravel-oracle-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
    fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

MessageLog::MessageLog() : sink_([this](const std::string& text) { texts.push_back(text); }) {}

LoadResult loadImage(const ScratchFolder& folder, const std::string& image) {
    const fs::path path = folder.file("input.cdb");
    estimating_bench::writeFile(path, image);
    LoadResult result;
    MessageLog log;
    result.document = std::make_unique<TDocument>();
    result.document->SetFileName(path.string());
    result.complete = result.document->Load();
    result.messages = log.texts;
    return result;
}

std::string savedImage(const ScratchFolder& folder, TDocument& document) {
    const fs::path path = folder.file("saved.cdb");
    const std::string previous = document.FileName();
    document.SetFileName(path.string());
    const bool saved = document.Save();
    document.SetFileName(previous);
    return saved ? estimating_bench::readFile(path) : std::string();
}

std::vector<TInsumoCompuesto*> compoundTypeEntries(TDocument& document) {
    std::vector<TInsumoCompuesto*> entries;
    for (const TInsumos* collection : {static_cast<const TInsumos*>(&document.Primaries),
                                       static_cast<const TInsumos*>(&document.Compounds),
                                       static_cast<const TInsumos*>(&document.Budgets)})
        for (const auto& entry : collection->List())
            if (TInsumoCompuesto* compound = entry->AsCompuesto())
                entries.push_back(compound);
    return entries;
}

namespace {

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

std::string describeEntry(const TItem& core, const estimating_bench::literal::ExplodedEntry& e) {
    std::ostringstream out;
    out.precision(17);
    out << "core {" << int(core.Kind) << ", " << core.Code << ", " << core.ParentCode << ", "
        << core.Quantity << "} plain {" << int(e.kind) << ", " << e.code << ", " << e.parentCode
        << ", " << e.quantity << "}";
    return out.str();
}

std::string compareExploded(const TInsumoCompuesto& input,
                            const estimating_bench::literal::ExplodedList& expected) {
    const auto& actual = input.Items().Exploded();
    if (actual.size() != expected.size())
        return input.Code() + ": exploded list of " + std::to_string(actual.size()) +
               " entries, expected " + std::to_string(expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const TItem& a = actual[i];
        const auto& e = expected[i];
        if (a.Kind != e.kind || a.Code != e.code || a.ParentCode != e.parentCode ||
            !sameBits(a.Quantity, e.quantity) || a.Insumo != e.insumo)
            return input.Code() + ": exploded entry " + std::to_string(i) +
                   " differs: " + describeEntry(a, e);
    }
    return "";
}

} // namespace

std::string differenceFromLiteral(TInsumoCompuesto& input) {
    const auto expected = estimating_bench::literal::ComputePrice(input);
    const double total = input.ComputePrice();
    if (!sameBits(total, expected.total)) {
        std::ostringstream out;
        out.precision(17);
        out << input.Code() << ": price " << total << ", expected " << expected.total;
        return out.str();
    }
    for (std::size_t slot = 0; slot < expected.costAmounts.size(); ++slot)
        if (!sameBits(input.CostAmounts()[slot], expected.costAmounts[slot]))
            return input.Code() + ": cost amount " + std::to_string(slot) + " differs";
    return compareExploded(input, expected.exploded);
}

void exerciseEverything(TDocument& document) {
    for (TInsumoCompuesto* entry : compoundTypeEntries(document)) {
        entry->ComputePrice();
        entry->Items().Explode();
        entry->UsesCode("C999999");
        entry->UsesCode(entry->Code());
        entry->ContainsBudget("P999999");
        for (const auto& line : entry->Items().List()) {
            entry->UsesCode(line->Code);
            entry->ContainsBudget(line->Code);
        }
    }
    document.Compounds.PurgeDeleted();
    document.Budgets.PurgeDeleted();
    document.PurgeBudgetItems();
}

} // namespace oracle_tests
