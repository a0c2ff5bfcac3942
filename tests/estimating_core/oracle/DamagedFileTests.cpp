// Damaged database files: a real saved file cut at every byte, counts and lengths no file of
// that size can hold, and entry tags other than 0 and 1. Each loads without crashing, hanging or
// allocating more than the file could justify, fails with the read error, and leaves a
// document whose every computation still runs.
#include "HeapCounter.h"
#include "OracleSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace oracle_tests {
namespace {

using namespace estimating;
using estimating_bench::CdbWriter;
using estimating_bench::DatabaseShape;
using estimating_bench::InputSpec;

DatabaseShape smallIrregularShape() {
    DatabaseShape shape;
    shape.seed = 4242;
    shape.primaries = 6;
    shape.compounds = 8;
    shape.primaryOnlyShare = 0.5;
    shape.maxDepth = 3;
    shape.minLines = 1;
    shape.maxLines = 4;
    shape.budgets = 2;
    shape.budgetLines = 8;
    shape.divisionsPerBudget = 2;
    shape.nestedDivisions = true;
    shape.subBudgets = true;
    shape.primaryBudgetLines = true;
    shape.strayCategories = true;
    shape.danglingLines = true;
    return shape;
}

// A file the program itself wrote.
std::string realSavedFile(const ScratchFolder& folder) {
    LoadResult loaded = loadImage(
        folder,
        estimating_bench::cdbImage(estimating_bench::generateDatabase(smallIrregularShape())));
    EXPECT_TRUE(loaded.complete);
    return savedImage(folder, *loaded.document);
}

void expectReadFailure(const LoadResult& loaded) {
    EXPECT_FALSE(loaded.complete);
    ASSERT_EQ(loaded.messages.size(), 1u);
    EXPECT_EQ(loaded.messages[0], kStreamReadError);
}

TEST(DamagedFileTest, RealFileCutAtEveryByteFailsCleanly) {
    ScratchFolder folder;
    const std::string image = realSavedFile(folder);
    ASSERT_GT(image.size(), 1000u);
    for (std::size_t size = 0; size < image.size(); ++size) {
        SCOPED_TRACE("cut at " + std::to_string(size) + " of " + std::to_string(image.size()));
        LoadResult loaded = loadImage(folder, image.substr(0, size));
        expectReadFailure(loaded);
        MessageLog quiet;
        exerciseEverything(*loaded.document);
        if (size % 64 == 0) {
            // What was kept can be saved and read back whole.
            const std::string kept = savedImage(folder, *loaded.document);
            ASSERT_FALSE(kept.empty());
            EXPECT_TRUE(loadImage(folder, kept).complete);
        }
        EXPECT_TRUE(quiet.texts.empty());
        if (HasFatalFailure())
            return;
    }
    EXPECT_TRUE(loadImage(folder, image).complete);
}

// Bytes of a real file changed at random: whatever loads, every computation runs on it, and
// what was kept saves to a file that reads back whole and saves to the same bytes.
TEST(DamagedFileTest, RandomlyCorruptedFilesNeverBreakTheModel) {
    ScratchFolder folder;
    const std::string image = realSavedFile(folder);
    std::mt19937_64 rng(9);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string damaged = image;
        const int changes = 1 + static_cast<int>(rng() % 4);
        for (int c = 0; c < changes; ++c) {
            const std::size_t at = rng() % damaged.size();
            damaged[at] = static_cast<char>(rng() % 3 == 0 ? 0xFF : rng() & 0xFF);
        }
        LoadResult loaded = loadImage(folder, damaged);
        if (loaded.complete) {
            EXPECT_TRUE(loaded.messages.empty());
        } else {
            ASSERT_EQ(loaded.messages.size(), 1u);
            EXPECT_TRUE(loaded.messages[0] == kStreamReadError ||
                        loaded.messages[0] == "Error : Unknown file format.")
                << loaded.messages[0];
        }
        MessageLog quiet;
        exerciseEverything(*loaded.document);
        const std::string kept = savedImage(folder, *loaded.document);
        ASSERT_FALSE(kept.empty());
        LoadResult again = loadImage(folder, kept);
        ASSERT_TRUE(again.complete);
        EXPECT_TRUE(savedImage(folder, *again.document) == kept);
        EXPECT_TRUE(quiet.texts.empty());
    }
}

InputSpec primary(const std::string& code) {
    InputSpec p;
    p.code = code;
    p.name = "Cemento";
    p.unit = "kg";
    p.price = 12.5;
    p.category = "Materials";
    return p;
}

InputSpec compound(const std::string& code, const std::string& usedPrimary) {
    InputSpec c;
    c.kind = 1;
    c.subKind = 1;
    c.code = code;
    c.name = "Hormigón";
    c.lines.push_back({0, 0, usedPrimary, "Cemento", code, 3.0});
    return c;
}

void writeHead(CdbWriter& w, const InputSpec& input) {
    w.writeString(input.code);
    w.writeInteger(input.kind);
    w.writeInteger(input.subKind);
    w.writeString(input.name);
    w.writeString(input.unit);
    w.writeString(input.description);
    w.writeDouble(input.price);
    w.writeString(input.category);
    w.writeString(input.subcategory);
}

// Signature and four empty name lists.
CdbWriter emptyHead() {
    CdbWriter w;
    w.writeSignature();
    for (int list = 0; list < 4; ++list)
        w.writeInteger(0);
    return w;
}

// A collection holding one primary, complete.
void writeOnePrimary(CdbWriter& w) {
    w.writeInteger(1);
    w.writeInteger(0);
    w.writeInput(primary("S000001"));
    w.writeInteger(1);
}

std::string padded(CdbWriter w, std::size_t bytes = 64) {
    for (std::size_t i = 0; i < bytes; ++i)
        w.writeByte('a');
    return w.take();
}

struct HostileFile {
    std::string name;
    std::string image;
};

std::vector<HostileFile> hostileFiles() {
    std::vector<HostileFile> files;
    {
        CdbWriter w;
        w.writeSignature();
        w.writeInteger(INT_MAX);
        files.push_back({"unit count INT_MAX", padded(w)});
    }
    {
        CdbWriter w;
        w.writeSignature();
        w.writeInteger(-1);
        files.push_back({"negative unit count", padded(w)});
    }
    {
        CdbWriter w;
        w.writeSignature();
        w.writeInteger(1);
        w.writeRawString(INT_MAX, "abc");
        files.push_back({"unit name of INT_MAX bytes", padded(w)});
    }
    {
        CdbWriter w;
        w.writeSignature();
        w.writeInteger(1);
        w.writeRawString(-7, "");
        files.push_back({"unit name of negative length", padded(w)});
    }
    {
        CdbWriter w;
        w.writeSignature();
        w.writeInteger(1);
        w.writeRawString(5, "abcd");
        files.push_back({"unit name one byte past the end", w.take()});
    }
    {
        CdbWriter w;
        w.writeSignature();
        w.writeInteger(0);
        w.writeInteger(0x40000000);
        files.push_back({"subcategory count 2^30", padded(w)});
    }
    {
        CdbWriter w = emptyHead();
        w.writeInteger(INT_MAX);
        w.writeInteger(0);
        w.writeInput(primary("S000001"));
        files.push_back({"primary count INT_MAX", padded(w)});
    }
    {
        CdbWriter w = emptyHead();
        w.writeInteger(1000000);
        files.push_back({"primary count a million in a small file", padded(w, 4096)});
    }
    {
        CdbWriter w = emptyHead();
        w.writeInteger(1);
        w.writeInteger(0);
        w.writeRawString(0x7FFFFFF0, "S0");
        files.push_back({"primary code of 2 GB", padded(w)});
    }
    {
        CdbWriter w = emptyHead();
        writeOnePrimary(w);
        w.writeInteger(1);
        w.writeInteger(1);
        writeHead(w, compound("C000001", "S000001"));
        w.writeInteger(INT_MAX);
        files.push_back({"line count INT_MAX", padded(w)});
    }
    {
        CdbWriter w = emptyHead();
        writeOnePrimary(w);
        w.writeInteger(1);
        w.writeInteger(1);
        writeHead(w, compound("C000001", "S000001"));
        w.writeInteger(1);
        w.writeInteger(0);
        w.writeRawString(0x7FFFFF00, "Ce");
        files.push_back({"line name of 2 GB", padded(w)});
    }
    return files;
}

TEST(DamagedFileTest, CountsAndLengthsBeyondTheFileAreReadErrors) {
    ScratchFolder folder;
    for (const HostileFile& file : hostileFiles()) {
        SCOPED_TRACE(file.name);
        estimating_bench::resetHeapPeak();
        const long long before = estimating_bench::heapLiveBytes();
        LoadResult loaded = loadImage(folder, file.image);
        const long long peak = estimating_bench::heapPeakBytes() - before;
        expectReadFailure(loaded);
        EXPECT_LT(peak, 1 << 20) << "a small file made the reader take " << peak << " bytes";
        MessageLog quiet;
        exerciseEverything(*loaded.document);
        EXPECT_TRUE(quiet.texts.empty());
    }
}

std::string fileWithCompoundTag(std::int32_t tag) {
    CdbWriter w = emptyHead();
    writeOnePrimary(w);
    w.writeInteger(2);
    w.writeInteger(1);
    w.writeInput(compound("C000001", "S000001"));
    w.writeInteger(tag);
    w.writeInput(compound("C000002", "S000001"));
    w.writeInteger(2);
    w.writeInteger(0);
    w.writeInteger(0);
    return w.take();
}

TEST(DamagedFileTest, EntryTagsOtherThanZeroAndOneAreReadErrors) {
    ScratchFolder folder;
    for (std::int32_t tag : {2, 3, -1, 255, INT_MAX, INT_MIN + 2}) {
        SCOPED_TRACE("tag " + std::to_string(tag));
        LoadResult loaded = loadImage(folder, fileWithCompoundTag(tag));
        expectReadFailure(loaded);
        // The compound read before the bad entry stays, linked and priced.
        ASSERT_EQ(loaded.document->Compounds.Count(), 1);
        TInsumoCompuesto* kept = loaded.document->Compounds.Insumo(0).AsCompuesto();
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->ComputePrice(), 37.5);
        EXPECT_EQ(differenceFromLiteral(*kept), "");
    }
}

TEST(DamagedFileTest, TagsAreReadByTheirLowByte) {
    ScratchFolder folder;
    LoadResult loaded = loadImage(folder, fileWithCompoundTag(0x101));
    EXPECT_TRUE(loaded.complete);
    EXPECT_TRUE(loaded.messages.empty());
    ASSERT_EQ(loaded.document->Compounds.Count(), 2);
    EXPECT_EQ(loaded.document->Compounds.Insumo(1).AsCompuesto()->ComputePrice(), 37.5);
}

TEST(DamagedFileTest, RecordsOfTheWrongKindInACollectionAreTolerated) {
    // A primary among the compounds, a compound among the primaries, and lines of every kind
    // pointing at them: nothing the program writes, but a file may hold it.
    CdbWriter w = emptyHead();
    w.writeInteger(2);
    w.writeInteger(0);
    w.writeInput(primary("S000001"));
    w.writeInteger(1);
    w.writeInput(compound("S000002", "S000001"));
    w.writeInteger(2);
    w.writeInteger(2);
    w.writeInteger(0);
    w.writeInput(primary("C000001"));
    w.writeInteger(1);
    InputSpec c = compound("C000002", "S000002");
    c.lines.push_back({1, 1, "C000001", "x", "C000002", 2.0});
    c.lines.push_back({7, 9, "S000001", "x", "C000002", 2.0});
    w.writeInput(c);
    w.writeInteger(2);
    w.writeInteger(1);
    w.writeInteger(1);
    InputSpec budget = compound("P000001", "S000002");
    budget.subKind = 2;
    budget.lines.push_back({1, 3, "S000001", "x", "P000001", 1.0});
    budget.lines.push_back({1, 2, "P000001", "x", "P000001", 1.0});
    budget.lines.push_back({1, 1, "C000002", "x", "P000001", 1.0});
    w.writeInput(budget);
    w.writeInteger(1);

    ScratchFolder folder;
    LoadResult loaded = loadImage(folder, w.take());
    EXPECT_TRUE(loaded.complete);
    MessageLog quiet;
    exerciseEverything(*loaded.document);
    EXPECT_TRUE(quiet.texts.empty());
    const std::string again = savedImage(folder, *loaded.document);
    ASSERT_FALSE(again.empty());
    EXPECT_TRUE(loadImage(folder, again).complete);
}

} // namespace
} // namespace oracle_tests
