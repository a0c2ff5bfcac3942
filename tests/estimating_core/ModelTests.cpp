#include "Componentes.h"
#include "CoreTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace estimating {
namespace {

using testing::MessageRecorder;

// A small world of inputs owned by the test.
class World {
public:
    TInsumoSimple& Primary(const std::string& code, double price, const std::string& category) {
        auto input = std::make_unique<TInsumoSimple>();
        input->SetKind(kKindPrimary);
        input->SetCode(code);
        input->SetName("name of " + code);
        input->SetPrice(price);
        input->SetCategory(category);
        auto& ref = *input;
        primaries.push_back(std::move(input));
        return ref;
    }
    TInsumoCompuesto& Compound(const std::string& code, std::uint8_t subKind = kSubKindCompound) {
        auto input = std::make_unique<TInsumoCompuesto>();
        input->SetKind(kKindCompound);
        input->SetSubKind(subKind);
        input->SetCode(code);
        auto& ref = *input;
        compounds.push_back(std::move(input));
        return ref;
    }
    static TItem* Use(TInsumoCompuesto& holder, TInsumo& used, double quantity) {
        TItem line;
        line.Kind = used.Kind();
        line.SubKind = used.SubKind();
        line.Code = used.Code();
        line.Name = used.Name();
        line.Insumo = &used;
        line.Quantity = quantity;
        return holder.Items().Add(line);
    }
    std::vector<std::unique_ptr<TInsumoSimple>> primaries;
    std::vector<std::unique_ptr<TInsumoCompuesto>> compounds;
};

std::vector<std::pair<std::string, double>> ExplodedOf(const TInsumoCompuesto& c) {
    std::vector<std::pair<std::string, double>> out;
    for (const TItem& e : c.Items().Exploded()) {
        out.emplace_back(e.Code, e.Quantity);
    }
    return out;
}

using Entries = std::vector<std::pair<std::string, double>>;

TEST(EstCoreExplode, NestedCompoundSumsOverAllPathsInOrderOfFirstAppearance) {
    World w;
    auto& p = w.Primary("S000001", 10, "Materials");
    auto& q = w.Primary("S000002", 5, "Labor");
    auto& c = w.Compound("C000001");
    auto& d = w.Compound("C000002");
    World::Use(d, p, 4);
    World::Use(d, q, 1);
    World::Use(c, p, 2);
    World::Use(c, d, 3);
    c.Items().Explode();
    EXPECT_EQ(ExplodedOf(c), (Entries{{"S000001", 14.0}, {"S000002", 3.0}}));
    // The sub-compound's own list is fresh too.
    EXPECT_EQ(ExplodedOf(d), (Entries{{"S000001", 4.0}, {"S000002", 1.0}}));
    // Entries keep the link and the parent code of their first occurrence, not the name.
    const TItem& first = c.Items().Exploded()[0];
    EXPECT_EQ(first.Insumo, &p);
    EXPECT_EQ(first.ParentCode, "C000001");
    EXPECT_TRUE(first.Name.empty());
    EXPECT_EQ(c.Items().Exploded()[1].ParentCode, "C000002");
}

TEST(EstCoreExplode, SharedSubCompoundsCountOncePerPath) {
    World w;
    auto& p = w.Primary("S1", 1, "Materials");
    auto& shared = w.Compound("C1");
    World::Use(shared, p, 0.5);
    auto& left = w.Compound("C2");
    auto& right = w.Compound("C3");
    World::Use(left, shared, 2);
    World::Use(right, shared, 3);
    auto& top = w.Compound("C4");
    World::Use(top, left, 1);
    World::Use(top, right, 10);
    World::Use(top, shared, 7);
    top.Items().Explode();
    EXPECT_EQ(ExplodedOf(top), (Entries{{"S1", 0.5 * 2 * 1 + 0.5 * 3 * 10 + 0.5 * 7}}));
}

TEST(EstCoreExplode, RebuildsFromScratchAndSkipsUnlinkedLines) {
    World w;
    auto& p = w.Primary("S1", 1, "Materials");
    auto& c = w.Compound("C1");
    World::Use(c, p, 2);
    TItem orphan;
    orphan.Kind = kKindPrimary;
    orphan.Code = "S999";
    orphan.Quantity = 5;
    c.Items().Add(orphan);
    TItem orphanCompound;
    orphanCompound.Kind = kKindCompound;
    orphanCompound.SubKind = kSubKindCompound;
    orphanCompound.Code = "C999";
    orphanCompound.Quantity = 5;
    c.Items().Add(orphanCompound);
    c.Items().Explode();
    c.Items().Explode();
    EXPECT_EQ(ExplodedOf(c), (Entries{{"S1", 2.0}}));
}

TEST(EstCoreExplode, LongListsMergeLikeShortOnes) {
    World w;
    auto& a = w.Compound("C1");
    auto& b = w.Compound("C2");
    for (int i = 0; i < 200; ++i) {
        auto& p = w.Primary("S" + std::to_string(i), 1, "Materials");
        World::Use(a, p, i + 1);
        if (i % 3 == 0) {
            World::Use(b, p, 0.25);
        }
    }
    auto& top = w.Compound("C3");
    World::Use(top, b, 4);
    World::Use(top, a, 2);
    top.Items().Explode();
    ASSERT_EQ(top.Items().ExplodedCount(), 200);
    // Order of first appearance: the primaries of b come first.
    EXPECT_EQ(top.Items().Exploded()[0].Code, "S0");
    EXPECT_EQ(top.Items().Exploded()[1].Code, "S3");
    for (const TItem& e : top.Items().Exploded()) {
        const int i = std::stoi(e.Code.substr(1));
        const double expected = (i % 3 == 0 ? 0.25 * 4 : 0.0) + (i + 1) * 2.0;
        EXPECT_EQ(e.Quantity, expected) << e.Code;
    }
}

TEST(EstCoreAddExploded, AddsToTheFirstEntryWithTheCodeOrAppends) {
    TItems items;
    TItem e;
    e.Kind = kKindPrimary;
    e.Code = "S1";
    e.ParentCode = "C1";
    e.Name = "ignored";
    e.Quantity = 1.5;
    items.AddExploded(e);
    e.ParentCode = "C2";
    e.Quantity = 2;
    items.AddExploded(e);
    ASSERT_EQ(items.ExplodedCount(), 1);
    EXPECT_EQ(items.Exploded()[0].Quantity, 3.5);
    EXPECT_EQ(items.Exploded()[0].ParentCode, "C1");
    EXPECT_TRUE(items.Exploded()[0].Name.empty());
}

TEST(EstCoreComputePrice, EmptyCompoundCostsNothing) {
    World w;
    auto& c = w.Compound("C1");
    EXPECT_EQ(c.ComputePrice(), 0.0);
    for (double amount : c.CostAmounts()) {
        EXPECT_EQ(amount, 0.0);
    }
}

TEST(EstCoreComputePrice, SplitsByCostTypeExactlyAndCountsUnknownCategoriesInTheTotal) {
    World w;
    auto& c = w.Compound("C1");
    World::Use(c, w.Primary("S1", 10, "Materials"), 2);
    World::Use(c, w.Primary("S2", 3, "Labor"), 1);
    World::Use(c, w.Primary("S3", 7, "Equipment"), 1);
    World::Use(c, w.Primary("S4", 100, "Subcontracts"), 0.5);
    World::Use(c, w.Primary("S5", 1, "Others"), 4);
    World::Use(c, w.Primary("S6", 1000, "materials"), 1);
    const double total = c.ComputePrice();
    EXPECT_EQ(total, 20 + 3 + 7 + 50 + 4 + 1000.0);
    EXPECT_EQ(c.CostAmounts()[0], 20.0);
    EXPECT_EQ(c.CostAmounts()[1], 3.0);
    EXPECT_EQ(c.CostAmounts()[2], 7.0);
    EXPECT_EQ(c.CostAmounts()[3], 50.0);
    EXPECT_EQ(c.CostAmounts()[4], 4.0);
}

TEST(EstCoreComputePrice, RepeatedComputationsGiveTheSameResult) {
    World w;
    auto& p = w.Primary("S1", 0.1, "Materials");
    auto& sub = w.Compound("C1");
    World::Use(sub, p, 0.3);
    auto& top = w.Compound("C2");
    World::Use(top, sub, 0.7);
    World::Use(top, p, 0.2);
    const double first = top.ComputePrice();
    EXPECT_EQ(top.ComputePrice(), first);
    EXPECT_EQ(first, 0.1 * (0.3 * 0.7 + 0.2));
}

TEST(EstCoreItems, AddCopiesTheTemplateUnderTheOwner) {
    World w;
    auto& c = w.Compound("C000007");
    auto& p = w.Primary("S000001", 1, "Materials");
    TItem tmpl;
    tmpl.Kind = kKindPrimary;
    tmpl.Code = p.Code();
    tmpl.Name = "Cement";
    tmpl.Quantity = 2.5;
    tmpl.Insumo = &p;
    tmpl.ParentCode = "wrong";
    TItem* line = c.Items().Add(tmpl);
    ASSERT_NE(line, nullptr);
    EXPECT_NE(line, &tmpl);
    EXPECT_EQ(line->Parent, &c);
    EXPECT_EQ(line->ParentCode, "C000007");
    EXPECT_EQ(line->Insumo, &p);
    EXPECT_EQ(line->Name, "Cement");
    EXPECT_EQ(line->Quantity, 2.5);
    EXPECT_EQ(c.Items().Count(), 1);
}

TEST(EstCoreItems, DuplicateCodeIsRefusedAndTheListIsUnchanged) {
    World w;
    auto& c = w.Compound("C1");
    auto& other = w.Compound("C2");
    auto& p = w.Primary("S1", 1, "Materials");
    World::Use(c, p, 1);
    try {
        World::Use(c, p, 9);
        FAIL() << "no error";
    } catch (const EItemExistente& e) {
        EXPECT_STREQ(e.what(), "Error : This item already exists in this compound.");
    }
    ASSERT_EQ(c.Items().Count(), 1);
    EXPECT_EQ(c.Items().Item(0).Quantity, 1.0);
    EXPECT_NO_THROW(World::Use(other, p, 1)); // the same code in another list is fine
}

TEST(EstCoreItems, KeysFindByExactCodeOrPosition) {
    World w;
    auto& c = w.Compound("C1");
    World::Use(c, w.Primary("C000001", 1, "Materials"), 1);
    World::Use(c, w.Primary("S000002", 1, "Materials"), 2);
    const TItems& items = c.Items();
    EXPECT_NE(items.Find("C000001"), nullptr);
    EXPECT_EQ(items.Find("c000001"), nullptr);
    EXPECT_EQ(items.Find(1), &items.Item(1));
    EXPECT_EQ(items.Find(2), nullptr);
    EXPECT_EQ(items.Find(-1), nullptr);
    EXPECT_EQ(items.Find(TKey::None()), nullptr);
    EXPECT_EQ(items.Find(""), nullptr);
    EXPECT_TRUE(items.Exists(0));
    EXPECT_FALSE(items.Exists(5));
    EXPECT_FALSE(items.Exists(TKey()));
}

TEST(EstCoreItems, DeleteAndMoveKeepTheOthersInOrder) {
    World w;
    auto& c = w.Compound("C1");
    for (const char* code : {"S1", "S2", "S3", "S4"}) {
        World::Use(c, w.Primary(code, 1, "Materials"), 1);
    }
    MessageRecorder messages;
    c.Items().Delete("S2");
    c.Items().Delete("nothing");
    c.Items().Delete(17);
    c.Items().Delete(TKey::None());
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_EQ(c.Items().Count(), 3);
    c.Items().Move(2, 0);
    EXPECT_EQ(c.Items().Item(0).Code, "S4");
    EXPECT_EQ(c.Items().Item(1).Code, "S1");
    EXPECT_EQ(c.Items().Item(2).Code, "S3");
    c.Items().Move(0, 1);
    EXPECT_EQ(c.Items().Item(0).Code, "S1");
    EXPECT_THROW(c.Items().Move(0, 3), std::out_of_range);
}

TEST(EstCoreCircularTests, OwnCodeIsAlwaysFound) {
    World w;
    auto& c = w.Compound("C1");
    auto& b = w.Compound("P1", kSubKindBudget);
    EXPECT_TRUE(c.UsesCode("C1"));
    EXPECT_TRUE(b.ContainsBudget("P1"));
    EXPECT_FALSE(c.UsesCode("C2"));
}

TEST(EstCoreCircularTests, UsesCodeFollowsEveryCompoundTypeLineContainsBudgetOnlyBudgets) {
    World w;
    auto& budget = w.Compound("P1", kSubKindBudget);
    auto& division = w.Compound("D2", kSubKindDivision);
    auto& compound = w.Compound("C1");
    auto& inner = w.Compound("C2");
    auto& hidden = w.Compound("P9", kSubKindBudget);
    World::Use(budget, division, 1);
    World::Use(division, compound, 1);
    World::Use(compound, inner, 1);
    World::Use(inner, hidden, 1);
    World::Use(budget, w.Primary("S1", 1, "Materials"), 1);
    EXPECT_TRUE(budget.UsesCode("C2"));
    EXPECT_TRUE(budget.UsesCode("P9"));
    EXPECT_FALSE(budget.UsesCode("S1")); // primary lines are not followed
    EXPECT_TRUE(budget.ContainsBudget("D2"));
    EXPECT_FALSE(budget.ContainsBudget("C1"));
    EXPECT_FALSE(budget.ContainsBudget("P9")); // behind compound lines
}

TEST(EstCoreCycles, EveryComputationTerminatesAndTheClosingLineContributesNothing) {
    World w;
    auto& p = w.Primary("S1", 2, "Materials");
    auto& q = w.Primary("S2", 3, "Labor");
    auto& a = w.Compound("C1");
    auto& b = w.Compound("C2");
    World::Use(a, p, 1);
    World::Use(a, b, 2);
    World::Use(b, q, 5);
    World::Use(b, a, 7); // closes the cycle
    EXPECT_EQ(a.ComputePrice(), 2 * 1 + 3 * 5 * 2.0);
    EXPECT_EQ(ExplodedOf(a), (Entries{{"S1", 1.0}, {"S2", 10.0}}));
    EXPECT_TRUE(a.UsesCode("C2"));
    EXPECT_FALSE(a.UsesCode("C9"));
    EXPECT_EQ(b.ComputePrice(), 3 * 5 + 7 * 2.0 * 1);
}

TEST(EstCoreCycles, SelfUseAndBudgetInsideItselfTerminate) {
    World w;
    auto& a = w.Compound("C1");
    World::Use(a, w.Primary("S1", 1, "Materials"), 1);
    World::Use(a, a, 1);
    EXPECT_EQ(a.ComputePrice(), 1.0);
    auto& budget = w.Compound("P1", kSubKindBudget);
    auto& division = w.Compound("D2", kSubKindDivision);
    World::Use(budget, division, 1);
    World::Use(division, budget, 1);
    EXPECT_FALSE(budget.ContainsBudget("P7"));
    EXPECT_TRUE(division.ContainsBudget("P1"));
    EXPECT_EQ(budget.ComputePrice(), 0.0);
}

TEST(EstCoreComputePrice, BidSurchargesAreTakenInTurnVatAndOthersOnTheSameBase) {
    const TBidPrice bid = WorkOutBidPrice(100.0, 0.10, 0.20, 0.21, 0.05);
    EXPECT_DOUBLE_EQ(bid.GeneralCosts, 10.0);
    EXPECT_DOUBLE_EQ(bid.Profit, 22.0);
    EXPECT_DOUBLE_EQ(bid.Vat, 27.72);
    EXPECT_DOUBLE_EQ(bid.OtherCharges, 6.6);
    EXPECT_DOUBLE_EQ(bid.Price, 166.32);
}

TEST(EstCoreCycles, NonFinitePricesCountsWhatTheBreakDownAndTheBidFiguresGive) {
    World w;
    TInsumos compounds;
    TInsumos budgets;
    auto add = [](TInsumos& to, const std::string& code, std::uint8_t subKind) {
        auto input = std::make_unique<TInsumoCompuesto>();
        input->SetKind(kKindCompound);
        input->SetSubKind(subKind);
        input->SetCode(code);
        return to.Add(std::move(input))->AsCompuesto();
    };
    const auto count = [&] { return NonFinitePrices(compounds, budgets); };
    // One primary through two paths: the quantities add up before the price is applied.
    auto& p = w.Primary("S1", 1, "Materials");
    TInsumoCompuesto* d = add(compounds, "C1", kSubKindCompound);
    TInsumoCompuesto* c = add(compounds, "C2", kSubKindCompound);
    World::Use(*d, p, 1);
    World::Use(*c, p, 1e308);
    EXPECT_EQ(count(), 0u);
    World::Use(*c, *d, 1e308);
    EXPECT_EQ(count(), 1u);
    p.SetPrice(0); // infinite quantity times a free primary: NaN
    EXPECT_TRUE(std::isnan(c->ComputePrice()));
    EXPECT_EQ(count(), 1u);
    c->Items().Find("C1")->Quantity = 1e307;
    EXPECT_EQ(count(), 0u);

    // On a cycle each compound counts with its own break-down: C4 reaches S2 by 1e400, C3 does
    // not, since the line back to C3 contributes nothing under C3.
    TInsumoCompuesto* c3 = add(compounds, "C3", kSubKindCompound);
    TInsumoCompuesto* c4 = add(compounds, "C4", kSubKindCompound);
    World::Use(*c3, w.Primary("S2", 1, "Labor"), 1e200);
    World::Use(*c3, *c4, 1);
    World::Use(*c4, *c3, 1e200);
    EXPECT_EQ(count(), 1u);
    EXPECT_FALSE(std::isfinite(c4->ComputePrice()));
    EXPECT_TRUE(std::isfinite(c3->ComputePrice()));
    c4->Items().Find("C3")->Quantity = 1;
    EXPECT_EQ(count(), 0u);

    // A budget's bid figures count as prices.
    auto& q = w.Primary("S3", 200, "Materials");
    TInsumoCompuesto* budget = add(budgets, "P1", kSubKindBudget);
    World::Use(*budget, q, 1);
    budget->SetGeneralCostsRate(1e300);
    EXPECT_EQ(count(), 0u);
    q.SetPrice(2e10);
    EXPECT_EQ(count(), 1u);
    budget->SetGeneralCostsRate(0);
    budget->SetVatRate(1e300);
    EXPECT_EQ(count(), 1u);
    budget->SetVatRate(0);
    EXPECT_EQ(count(), 0u);
}

TEST(EstCoreCycles, VeryDeepNestingNeedsNoDeepStack) {
    World w;
    constexpr int depth = 100000;
    auto& bottom = w.Compound("C0");
    World::Use(bottom, w.Primary("S1", 1, "Materials"), 1);
    TInsumoCompuesto* below = &bottom;
    for (int i = 1; i < depth; ++i) {
        auto& c = w.Compound("C" + std::to_string(i));
        World::Use(c, *below, 1);
        below = &c;
    }
    EXPECT_EQ(below->ComputePrice(), 1.0);
    EXPECT_TRUE(below->UsesCode("C0"));
    EXPECT_FALSE(below->ContainsBudget("C0"));
}

TEST(EstCoreInsumo, AssignCopiesTheDescribedFields) {
    TInsumoSimple source;
    source.SetKind(kKindPrimary);
    source.SetSubKind(4);
    source.SetCode("S1");
    source.SetName("n");
    source.SetDescription("d");
    source.SetUnit("m2");
    source.SetPrice(9);
    source.SetCategory("Labor");
    source.SetSubcategory("sub");
    source.SetSpareValue(1.0);
    source.SetDeleted(1);
    TInsumoCompuesto compound;
    compound.Assign(source);
    EXPECT_EQ(compound.Code(), "S1");
    EXPECT_EQ(compound.Unit(), "m2");
    EXPECT_EQ(compound.SpareValue(), 1.0);
    EXPECT_EQ(compound.SubKind(), 0);
    EXPECT_EQ(compound.Price(), 0.0);
    EXPECT_EQ(compound.Deleted(), 0);
    TInsumoSimple primary;
    primary.Assign(source);
    EXPECT_EQ(primary.GetPrice(), 9.0);
    EXPECT_EQ(primary.Description(), "d");
}

} // namespace
} // namespace estimating
