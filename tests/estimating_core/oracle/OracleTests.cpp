// The core's break-down against the plain one on random acyclic databases: same exploded lists
// (order, codes, parent codes, quantities bit for bit), same prices and cost-type amounts, also
// after the edits the catalogues make; and a saved file equal byte for byte to the reference
// image it was read from.
#include "OracleSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace oracle_tests {
namespace {

using namespace estimating;
using estimating_bench::cdbImage;
using estimating_bench::DatabaseShape;
using estimating_bench::generateDatabase;

DatabaseShape irregularShape(std::uint64_t seed) {
    DatabaseShape shape;
    shape.seed = seed;
    shape.primaries = 25 + static_cast<int>(seed % 20);
    shape.compounds = 60 + static_cast<int>(seed % 40);
    shape.primaryOnlyShare = 0.3 + 0.1 * static_cast<double>(seed % 4);
    shape.maxDepth = 2 + static_cast<int>(seed % 5);
    shape.minLines = 1;
    shape.maxLines = 9;
    shape.budgets = 4;
    shape.budgetLines = 30;
    shape.divisionsPerBudget = 5;
    shape.nestedDivisions = true;
    shape.subBudgets = true;
    shape.primaryBudgetLines = true;
    shape.strayCategories = true;
    shape.danglingLines = true;
    return shape;
}

void expectSameAsLiteral(const std::vector<TInsumoCompuesto*>& entries) {
    for (TInsumoCompuesto* entry : entries) {
        const std::string difference = differenceFromLiteral(*entry);
        ASSERT_EQ(difference, "");
    }
}

TEST(OracleTest, RandomAcyclicDatabasesBreakDownAsThePlainAlgorithm) {
    ScratchFolder folder;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        LoadResult loaded = loadImage(folder, cdbImage(generateDatabase(irregularShape(seed))));
        ASSERT_TRUE(loaded.complete);
        ASSERT_TRUE(loaded.messages.empty());
        auto entries = compoundTypeEntries(*loaded.document);
        expectSameAsLiteral(entries);
        // Again the other way round, so that every entry meets lists left by other runs.
        std::reverse(entries.begin(), entries.end());
        expectSameAsLiteral(entries);
    }
}

TEST(OracleTest, CircularReferenceTestsAnswerAsThePlainRecursion) {
    ScratchFolder folder;
    for (std::uint64_t seed = 300; seed < 306; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        LoadResult loaded = loadImage(folder, cdbImage(generateDatabase(irregularShape(seed))));
        ASSERT_TRUE(loaded.complete);
        const auto entries = compoundTypeEntries(*loaded.document);
        std::vector<std::string> codes = {"C999999", "", "P000001"};
        for (const TInsumoCompuesto* entry : entries)
            codes.push_back(entry->Code());
        for (const TInsumoCompuesto* entry : entries)
            for (const std::string& code : codes) {
                ASSERT_EQ(entry->UsesCode(code), estimating_bench::literal::UsesCode(*entry, code))
                    << entry->Code() << " uses " << code;
                ASSERT_EQ(entry->ContainsBudget(code),
                          estimating_bench::literal::ContainsBudget(*entry, code))
                    << entry->Code() << " contains " << code;
            }
    }
}

TEST(OracleTest, DeepSharedNestingBreaksDownAsThePlainAlgorithm) {
    ScratchFolder folder;
    DatabaseShape shape;
    shape.seed = 77;
    shape.primaries = 200;
    shape.compounds = 300;
    shape.primaryOnlyShare = 0.2;
    shape.maxDepth = 7;
    shape.budgets = 2;
    shape.budgetLines = 60;
    shape.divisionsPerBudget = 6;
    LoadResult loaded = loadImage(folder, cdbImage(generateDatabase(shape)));
    ASSERT_TRUE(loaded.complete);
    expectSameAsLiteral(compoundTypeEntries(*loaded.document));
}

TEST(OracleTest, SavedFileEqualsTheImageItWasReadFrom) {
    ScratchFolder folder;
    for (std::uint64_t seed = 100; seed < 110; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string image = cdbImage(generateDatabase(irregularShape(seed)));
        LoadResult loaded = loadImage(folder, image);
        ASSERT_TRUE(loaded.complete);
        EXPECT_TRUE(savedImage(folder, *loaded.document) == image);
    }
}

TEST(OracleTest, LargeDatabaseSavesByteForByte) {
    ScratchFolder folder;
    DatabaseShape shape; // the benchmark's database, a tenth of its size
    shape.primaries = 1000;
    shape.compounds = 3000;
    shape.budgets = 2;
    const std::string image = cdbImage(generateDatabase(shape));
    LoadResult loaded = loadImage(folder, image);
    ASSERT_TRUE(loaded.complete);
    EXPECT_TRUE(savedImage(folder, *loaded.document) == image);
    std::vector<TInsumoCompuesto*> budgets;
    for (const auto& entry : loaded.document->Budgets.List())
        if (entry->SubKind() == kSubKindBudget)
            budgets.push_back(entry->AsCompuesto());
    expectSameAsLiteral(budgets);
}

// The edits of the catalogues and the budget tree, in random order, with prices asked for in
// between so that stale break-downs would show.
class RandomEditor {
public:
    RandomEditor(TDocument& document, std::uint64_t seed) : doc_(document), rng_(seed) {}

    void step() {
        switch (below(8)) {
        case 0:
            deleteCompound();
            break;
        case 1:
            deletePrimary();
            break;
        case 2:
        case 3:
            addCompoundLine();
            break;
        case 4:
            changePrice();
            break;
        case 5:
            deleteLine();
            break;
        case 6:
            deleteDivision();
            break;
        default:
            priceSomething();
            break;
        }
    }

private:
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(rng_() % static_cast<unsigned>(n)); }

    TInsumos& compoundsOrBudgets() {
        if (rng_() % 2 == 0)
            return doc_.Compounds;
        return doc_.Budgets;
    }

    TInsumo* randomEntry(TInsumos& collection) {
        return collection.Count() == 0 ? nullptr : &collection.Insumo(below(collection.Count()));
    }

    void deleteCompound() {
        if (TInsumo* victim = randomEntry(doc_.Compounds)) {
            doc_.Compounds.Delete(std::string(victim->Code()));
            doc_.PurgeBudgetItems();
        }
    }

    void deletePrimary() {
        if (TInsumo* victim = randomEntry(doc_.Primaries)) {
            const std::string code = victim->Code();
            victim->SetDeleted(1);
            doc_.Compounds.PurgeDeleted();
            doc_.Primaries.Delete(code);
            doc_.PurgeBudgetItems();
        }
    }

    void addCompoundLine() {
        TInsumo* holder = randomEntry(doc_.Compounds);
        TInsumo* used = randomEntry(doc_.Compounds);
        if (holder == nullptr || used == nullptr || holder->AsCompuesto() == nullptr ||
            used->AsCompuesto() == nullptr)
            return;
        if (used->AsCompuesto()->UsesCode(holder->Code()) ||
            holder->AsCompuesto()->Items().Exists(used->Code()))
            return;
        TItem line;
        line.Kind = kKindCompound;
        line.SubKind = kSubKindCompound;
        line.Code = used->Code();
        line.Name = used->Name();
        line.Quantity = 0.25 * (1 + below(40));
        line.Insumo = used;
        holder->AsCompuesto()->Items().Add(line);
    }

    void changePrice() {
        if (TInsumo* primary = randomEntry(doc_.Primaries))
            primary->SetPrice(primary->Price() * 1.1 + 0.01);
    }

    void deleteLine() {
        TInsumo* holder = randomEntry(compoundsOrBudgets());
        if (holder == nullptr || holder->AsCompuesto() == nullptr)
            return;
        TItems& items = holder->AsCompuesto()->Items();
        if (items.Count() > 0)
            items.Delete(below(items.Count()));
    }

    void deleteDivision() {
        TInsumo* victim = randomEntry(doc_.Budgets);
        if (victim != nullptr && victim->SubKind() == kSubKindDivision)
            doc_.Budgets.Delete(std::string(victim->Code()));
    }

    void priceSomething() {
        TInsumo* entry = randomEntry(compoundsOrBudgets());
        if (entry != nullptr && entry->AsCompuesto() != nullptr)
            entry->AsCompuesto()->ComputePrice();
    }

    TDocument& doc_;
    std::mt19937_64 rng_;
};

TEST(OracleTest, EditsKeepTheBreakDownOfThePlainAlgorithm) {
    ScratchFolder folder;
    for (std::uint64_t seed = 200; seed < 215; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        LoadResult loaded = loadImage(folder, cdbImage(generateDatabase(irregularShape(seed))));
        ASSERT_TRUE(loaded.complete);
        for (TInsumoCompuesto* entry : compoundTypeEntries(*loaded.document))
            entry->ComputePrice();
        MessageLog quiet;
        RandomEditor editor(*loaded.document, seed);
        for (int round = 0; round < 6; ++round) {
            for (int edit = 0; edit < 8; ++edit)
                editor.step();
            expectSameAsLiteral(compoundTypeEntries(*loaded.document));
        }
        EXPECT_TRUE(quiet.texts.empty());
    }
}

} // namespace
} // namespace oracle_tests
