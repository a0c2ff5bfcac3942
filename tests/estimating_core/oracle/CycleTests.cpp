// Files holding circular references the program never writes itself: a line that would close a
// cycle contributes nothing, and every computation ends. Deep nesting ends as well.
#include "OracleSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>

namespace oracle_tests {
namespace {

using namespace estimating;
using estimating_bench::DatabaseSpec;
using estimating_bench::InputSpec;
using estimating_bench::LineSpec;

InputSpec primary(const std::string& code, const std::string& category, double price) {
    InputSpec p;
    p.code = code;
    p.name = "Insumo " + code;
    p.price = price;
    p.category = category;
    return p;
}

InputSpec compoundType(const std::string& code, int subKind) {
    InputSpec c;
    c.kind = 1;
    c.subKind = subKind;
    c.code = code;
    c.name = "Compuesto " + code;
    return c;
}

void addLine(InputSpec& holder, int kind, int subKind, const std::string& code, double quantity) {
    holder.lines.push_back(LineSpec{kind, subKind, code, "línea", holder.code, quantity});
}

// C1 uses C2 and C2 uses C1; C3 uses itself; budget P1 holds itself and its division D2, which
// holds P1 again.
DatabaseSpec cyclicDatabase() {
    DatabaseSpec db;
    db.primaries.entries = {primary("S000001", "Materials", 10.0),
                            primary("S000002", "Labor", 3.0)};
    db.primaries.counter = 2;
    InputSpec c1 = compoundType("C000001", 1);
    addLine(c1, 0, 0, "S000001", 2.0);
    addLine(c1, 1, 1, "C000002", 3.0);
    InputSpec c2 = compoundType("C000002", 1);
    addLine(c2, 0, 0, "S000002", 5.0);
    addLine(c2, 1, 1, "C000001", 7.0);
    InputSpec c3 = compoundType("C000003", 1);
    addLine(c3, 1, 1, "C000003", 1.0);
    addLine(c3, 0, 0, "S000001", 1.0);
    db.compounds.entries = {c1, c2, c3};
    db.compounds.counter = 3;
    InputSpec p1 = compoundType("P000001", 2);
    addLine(p1, 1, 3, "D000002", 1.0);
    addLine(p1, 1, 2, "P000001", 1.0);
    addLine(p1, 1, 1, "C000001", 1.0);
    InputSpec d2 = compoundType("D000002", 3);
    addLine(d2, 1, 2, "P000001", 2.0);
    addLine(d2, 0, 0, "S000002", 1.0);
    db.budgets.entries = {p1, d2};
    db.budgets.counter = 2;
    return db;
}

struct Expected {
    std::string code;
    std::vector<std::pair<std::string, double>> exploded;
    double price;
};

TInsumoCompuesto& entry(TDocument& document, const std::string& code) {
    TInsumo* found = document.Compounds.Find(code);
    if (found == nullptr)
        found = document.Budgets.Find(code);
    if (found == nullptr || found->AsCompuesto() == nullptr)
        throw std::runtime_error("missing " + code);
    return *found->AsCompuesto();
}

void expectBreakDown(TInsumoCompuesto& input, const Expected& expected) {
    SCOPED_TRACE(expected.code);
    EXPECT_EQ(input.ComputePrice(), expected.price);
    const auto& exploded = input.Items().Exploded();
    ASSERT_EQ(exploded.size(), expected.exploded.size());
    for (std::size_t i = 0; i < exploded.size(); ++i) {
        EXPECT_EQ(exploded[i].Code, expected.exploded[i].first);
        EXPECT_EQ(exploded[i].Quantity, expected.exploded[i].second);
    }
}

const std::vector<Expected>& expectedBreakDowns() {
    static const std::vector<Expected> all = {
        {"C000001", {{"S000001", 2.0}, {"S000002", 15.0}}, 65.0},
        {"C000002", {{"S000002", 5.0}, {"S000001", 14.0}}, 155.0},
        {"C000003", {{"S000001", 1.0}}, 10.0},
        {"P000001", {{"S000002", 16.0}, {"S000001", 2.0}}, 68.0},
        {"D000002", {{"S000001", 4.0}, {"S000002", 31.0}}, 133.0},
    };
    return all;
}

TEST(CycleTest, EachInputOnAFreshDocumentLeavesOutTheLineClosingTheCycle) {
    ScratchFolder folder;
    const std::string image = estimating_bench::cdbImage(cyclicDatabase());
    for (const Expected& expected : expectedBreakDowns()) {
        LoadResult loaded = loadImage(folder, image);
        ASSERT_TRUE(loaded.complete);
        expectBreakDown(entry(*loaded.document, expected.code), expected);
    }
}

TEST(CycleTest, BreakDownsDoNotDependOnWhatWasComputedBefore) {
    ScratchFolder folder;
    LoadResult loaded = loadImage(folder, estimating_bench::cdbImage(cyclicDatabase()));
    ASSERT_TRUE(loaded.complete);
    for (int round = 0; round < 2; ++round) {
        for (const Expected& expected : expectedBreakDowns())
            expectBreakDown(entry(*loaded.document, expected.code), expected);
        for (auto it = expectedBreakDowns().rbegin(); it != expectedBreakDowns().rend(); ++it)
            expectBreakDown(entry(*loaded.document, it->code), *it);
    }
}

// Budgets holding both compounds of the C1-C2 cycle, in either order, and one run through all the
// compounds: each compound counts with its own break-down, whichever was met first.
TEST(CycleTest, BreakDownsDoNotDependOnWhichCompoundOfACycleWasMetFirst) {
    DatabaseSpec db = cyclicDatabase();
    for (const auto& [code, first, second] :
         {std::tuple{"P000003", "C000001", "C000002"}, {"P000004", "C000002", "C000001"}}) {
        InputSpec budget = compoundType(code, 2);
        addLine(budget, 1, 1, first, 1.0);
        addLine(budget, 1, 1, second, 1.0);
        db.budgets.entries.push_back(budget);
    }
    db.budgets.counter = 4;
    ScratchFolder folder;
    LoadResult loaded = loadImage(folder, estimating_bench::cdbImage(db));
    ASSERT_TRUE(loaded.complete);
    TDocument& doc = *loaded.document;
    EXPECT_EQ(entry(doc, "P000003").ComputePrice(), 65.0 + 155.0);
    EXPECT_EQ(entry(doc, "P000004").ComputePrice(), 65.0 + 155.0);
    doc.Compounds.PurgeDeleted();
    for (const Expected& expected : expectedBreakDowns()) {
        if (expected.code[0] != 'C')
            continue;
        SCOPED_TRACE(expected.code);
        const auto& exploded = entry(doc, expected.code).Items().Exploded();
        ASSERT_EQ(exploded.size(), expected.exploded.size());
        for (std::size_t i = 0; i < exploded.size(); ++i)
            EXPECT_EQ(exploded[i].Quantity, expected.exploded[i].second);
    }
}

TEST(CycleTest, CircularReferenceTestsEnd) {
    ScratchFolder folder;
    LoadResult loaded = loadImage(folder, estimating_bench::cdbImage(cyclicDatabase()));
    ASSERT_TRUE(loaded.complete);
    TDocument& doc = *loaded.document;
    EXPECT_TRUE(entry(doc, "C000001").UsesCode("C000002"));
    EXPECT_TRUE(entry(doc, "C000002").UsesCode("C000001"));
    EXPECT_TRUE(entry(doc, "C000003").UsesCode("C000003"));
    EXPECT_FALSE(entry(doc, "C000001").UsesCode("C000009"));
    EXPECT_FALSE(entry(doc, "C000003").UsesCode("C000001"));
    EXPECT_TRUE(entry(doc, "P000001").UsesCode("C000002"));
    EXPECT_FALSE(entry(doc, "P000001").UsesCode("C000009"));
    EXPECT_TRUE(entry(doc, "P000001").ContainsBudget("D000002"));
    EXPECT_TRUE(entry(doc, "D000002").ContainsBudget("P000001"));
    EXPECT_FALSE(entry(doc, "P000001").ContainsBudget("P000009"));
    EXPECT_FALSE(entry(doc, "D000002").ContainsBudget("C000001"));
}

TEST(CycleTest, DeletingAndPurgingInACycleEnds) {
    ScratchFolder folder;
    LoadResult loaded = loadImage(folder, estimating_bench::cdbImage(cyclicDatabase()));
    ASSERT_TRUE(loaded.complete);
    TDocument& doc = *loaded.document;
    MessageLog quiet;
    doc.Compounds.Delete(std::string("C000002"));
    doc.Budgets.Delete(std::string("D000002"));
    doc.PurgeBudgetItems();
    exerciseEverything(doc);
    EXPECT_TRUE(quiet.texts.empty());
    expectBreakDown(entry(doc, "C000001"), {"C000001", {{"S000001", 2.0}}, 20.0});
    expectBreakDown(entry(doc, "P000001"), {"P000001", {{"S000001", 2.0}}, 20.0});
}

std::string code(char letter, int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%c%06d", letter, n);
    return std::string(text);
}

// A chain of compounds, each using the next, as deep as a file can make it cheaply.
DatabaseSpec deepChain(int depth) {
    DatabaseSpec db;
    db.primaries.entries = {primary("S000001", "Materials", 1.0)};
    db.primaries.counter = 1;
    for (int i = 1; i <= depth; ++i) {
        InputSpec c = compoundType(code('C', i), 1);
        if (i < depth)
            addLine(c, 1, 1, code('C', i + 1), 1.0);
        else
            addLine(c, 0, 0, "S000001", 1.0);
        db.compounds.entries.push_back(std::move(c));
        InputSpec d = compoundType(code('D', i), i == 1 ? 2 : 3);
        if (i < depth)
            addLine(d, 1, 3, code('D', i + 1), 1.0);
        else
            addLine(d, 1, 1, code('C', 1), 1.0);
        db.budgets.entries.push_back(std::move(d));
    }
    db.compounds.counter = depth;
    db.budgets.counter = depth;
    return db;
}

TEST(CycleTest, VeryDeepNestingDoesNotExhaustTheStack) {
    constexpr int kDepth = 100000;
    ScratchFolder folder;
    LoadResult loaded = loadImage(folder, estimating_bench::cdbImage(deepChain(kDepth)));
    ASSERT_TRUE(loaded.complete);
    TDocument& doc = *loaded.document;
    TInsumoCompuesto& top = entry(doc, "C000001");
    EXPECT_EQ(top.ComputePrice(), 1.0);
    EXPECT_FALSE(top.UsesCode("S000001"));
    EXPECT_TRUE(top.UsesCode("C100000"));
    TInsumoCompuesto& budget = entry(doc, "D000001");
    EXPECT_EQ(budget.ComputePrice(), 1.0);
    EXPECT_TRUE(budget.ContainsBudget("D100000"));
    EXPECT_FALSE(budget.ContainsBudget("D100001"));
    doc.Compounds.PurgeDeleted();
    doc.Budgets.PurgeDeleted();
}

// The price of an input broken down from itself, every path followed on its own: a line back to
// an input on the path counts nothing.
double pricePerPath(const TInsumoCompuesto& input, std::vector<const TInsumoCompuesto*>& path) {
    path.push_back(&input);
    double price = 0.0;
    for (const auto& line : input.Items().List()) {
        const TInsumoCompuesto* sub = std::as_const(*line->Insumo).AsCompuesto();
        if (sub == nullptr)
            price += line->Quantity * line->Insumo->Price();
        else if (std::find(path.begin(), path.end(), sub) == path.end())
            price += line->Quantity * pricePerPath(*sub, path);
    }
    path.pop_back();
    return price;
}

// A small tangle is broken down exactly, alone or with the others in one shared break-down in
// any order; compounds that each use all the others have far too many paths to break every cycle
// down again under each of them, and the break-down still ends.
TEST(CycleTest, SmallTanglesAreExactInAnyOrderAndDenseOnesEnd) {
    ScratchFolder folder;
    LoadResult small =
        loadImage(folder, estimating_bench::cdbImage(estimating_bench::tangledDatabase(8, 8, 4)));
    ASSERT_TRUE(small.complete);
    std::vector<TInsumoCompuesto*> inputs = compoundTypeEntries(*small.document);
    std::vector<double> expected;
    for (TInsumoCompuesto* input : inputs) {
        std::vector<const TInsumoCompuesto*> path;
        expected.push_back(pricePerPath(*input, path));
        EXPECT_EQ(input->ComputePrice(), expected.back()) << input->Code();
    }
    {
        const TBreakDownScope shared;
        for (std::size_t i = inputs.size(); i-- > 0;)
            EXPECT_EQ(inputs[i]->ComputePrice(), expected[i]) << inputs[i]->Code();
        for (std::size_t i = 0; i < inputs.size(); ++i)
            EXPECT_EQ(inputs[i]->ComputePrice(), expected[i]) << inputs[i]->Code();
    }

    constexpr int kCount = 12;
    DatabaseSpec db;
    db.primaries.entries = {primary("S000001", "Materials", 1.0)};
    db.primaries.counter = 1;
    for (int i = 1; i <= kCount; ++i) {
        InputSpec c = compoundType(code('C', i), 1);
        addLine(c, 0, 0, "S000001", 1.0);
        for (int j = 1; j <= kCount; ++j)
            if (j != i)
                addLine(c, 1, 1, code('C', j), 1.0);
        db.compounds.entries.push_back(std::move(c));
    }
    db.compounds.counter = kCount;
    LoadResult dense = loadImage(folder, estimating_bench::cdbImage(db));
    ASSERT_TRUE(dense.complete);
    EXPECT_GT(entry(*dense.document, "C000001").ComputePrice(), 1.0);
    dense.document->Compounds.PurgeDeleted();
}

} // namespace
} // namespace oracle_tests
