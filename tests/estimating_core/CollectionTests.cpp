#include "Componentes.h"
#include "CoreTestSupport.h"
#include "Database.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace estimating {
namespace {

using testing::MessageRecorder;

TInsumo* AddPrimary(TInsumos& primaries, double price = 1.0) {
    auto input = std::make_unique<TInsumoSimple>();
    input->SetKind(kKindPrimary);
    input->SetCode(primaries.NewCode(kKindPrimary, kSubKindNone));
    input->SetPrice(price);
    input->SetCategory("Materials");
    return primaries.Add(std::move(input));
}

TInsumoCompuesto* AddCompound(TInsumos& collection, std::uint8_t subKind = kSubKindCompound) {
    auto input = std::make_unique<TPresupuesto>();
    input->SetKind(kKindCompound);
    input->SetSubKind(subKind);
    input->SetCode(collection.NewCode(kKindCompound, subKind));
    return collection.Add(std::move(input))->AsCompuesto();
}

TItem* Use(TInsumoCompuesto& holder, TInsumo& used, double quantity = 1.0) {
    TItem line;
    line.Kind = used.Kind();
    line.SubKind = used.SubKind();
    line.Code = used.Code();
    line.Insumo = &used;
    line.Quantity = quantity;
    return holder.Items().Add(line);
}

TEST(EstCoreNewCode, FollowsTheCounterWithLetterBySubkind) {
    TInsumos collection;
    EXPECT_EQ(collection.NewCode(0, 0), "S000001");
    EXPECT_EQ(collection.NewCode(0, 3), "S000001");
    EXPECT_EQ(collection.NewCode(1, 1), "C000001");
    EXPECT_EQ(collection.NewCode(1, 2), "P000001");
    EXPECT_EQ(collection.NewCode(1, 3), "D000001");
    EXPECT_EQ(collection.NewCode(1, 9), "");
    EXPECT_EQ(collection.NewCode(1, 0), "");
    AddPrimary(collection);
    EXPECT_EQ(collection.NewCode(0, 0), "S000002");
    EXPECT_EQ(collection.Counter(), 1);
    collection.SetCounter(41);
    EXPECT_EQ(collection.NewCode(1, 1), "C000042");
    collection.SetCounter(999999);
    EXPECT_EQ(collection.NewCode(1, 2), "P1000000");
    EXPECT_EQ(collection.Counter(), 999999); // asking does not use it up
}

TEST(EstCoreNewCode, BudgetsAndDivisionsShareOneCounter) {
    TPresupuestos budgets;
    EXPECT_EQ(AddCompound(budgets, kSubKindBudget)->Code(), "P000001");
    EXPECT_EQ(AddCompound(budgets, kSubKindDivision)->Code(), "D000002");
    EXPECT_EQ(AddCompound(budgets, kSubKindBudget)->Code(), "P000003");
}

TEST(EstCoreNewCode, CounterNeverOverflows) {
    TInsumos collection;
    collection.SetCounter(std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(collection.NewCode(0, 0), "S2147483648");
    EXPECT_FALSE(collection.HasCodesFor(1)); // the next code would be handed out again
    AddPrimary(collection);
    EXPECT_EQ(collection.Counter(), std::numeric_limits<std::int32_t>::max());
    collection.SetCounter(std::numeric_limits<std::int32_t>::max() - 2);
    EXPECT_TRUE(collection.HasCodesFor(2));
    EXPECT_FALSE(collection.HasCodesFor(3));
}

TEST(EstCoreInsumos, FindByCodeGivesTheFirstEntryWithThatCode) {
    TInsumos collection;
    TInsumo* first = AddPrimary(collection);
    TInsumo* second = AddPrimary(collection);
    TInsumo* third = AddPrimary(collection);
    EXPECT_EQ(collection.Find("S000002"), second);
    EXPECT_EQ(collection.Find("s000002"), nullptr);
    EXPECT_EQ(collection.Find(""), nullptr);
    third->SetCode("S000001");
    EXPECT_EQ(collection.Find("S000001"), first);
    EXPECT_EQ(collection.Find("S000003"), nullptr);
    first->SetCode("X");
    EXPECT_EQ(collection.Find("S000001"), third);
    EXPECT_EQ(collection.Find("X"), first);
    second->SetCode("S000001");
    EXPECT_EQ(collection.Find("S000001"), second); // earlier than the third
    collection.Delete(1);
    EXPECT_EQ(collection.Find("S000001"), third);
    TInsumo* blank = AddPrimary(collection);
    blank->SetCode("");
    EXPECT_EQ(collection.Find(""), blank);
}

// The index must always agree with a plain search for the first entry with the code.
TEST(EstCoreInsumos, CodeIndexAgreesWithAPlainSearchThroughAddsRenamesAndDeletes) {
    MessageRecorder quiet;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        TInsumos collection;
        auto randomCode = [&rng] {
            // Few distinct codes, so duplicates are common; some too long to keep inline.
            const int n = static_cast<int>(rng() % 40);
            return n % 7 == 0 ? "LONG-CODE-OF-SOME-LENGTH-" + std::to_string(n)
                              : "C" + std::to_string(n);
        };
        for (int step = 0; step < 600; ++step) {
            const unsigned op = rng() % 10;
            if (op < 5 || collection.Count() == 0) {
                AddPrimary(collection)->SetCode(randomCode());
            } else if (op < 8) {
                collection
                    .Insumo(static_cast<int>(rng() % static_cast<unsigned>(collection.Count())))
                    .SetCode(randomCode());
            } else {
                collection.Delete(
                    static_cast<int>(rng() % static_cast<unsigned>(collection.Count())));
            }
            for (int n = 0; n < 40; n += 3) {
                for (const std::string& code :
                     {"C" + std::to_string(n), "LONG-CODE-OF-SOME-LENGTH-" + std::to_string(n)}) {
                    TInsumo* expected = nullptr;
                    for (const auto& entry : collection.List()) {
                        if (entry->Code() == code) {
                            expected = entry.get();
                            break;
                        }
                    }
                    ASSERT_EQ(collection.Find(code), expected)
                        << "seed " << seed << " step " << step << " code " << code;
                }
            }
        }
    }
}

TEST(EstCoreInsumos, PositionsOutOfRangeAreReported) {
    TInsumos collection;
    AddPrimary(collection);
    MessageRecorder messages;
    EXPECT_NE(collection.Find(0), nullptr);
    EXPECT_EQ(collection.Find(1), nullptr);
    EXPECT_EQ(collection.Find(-1), nullptr);
    EXPECT_EQ(collection.Find(TKey::None()), nullptr);
    EXPECT_EQ(messages.messages,
              (std::vector<std::string>{"Error : This primary does not exist in the database.",
                                        "Error : This primary does not exist in the database."}));
}

TEST(EstCoreInsumos, FailedDeletesChangeNothing) {
    TInsumos collection;
    AddPrimary(collection);
    MessageRecorder messages;
    collection.Delete("S000009");
    collection.Delete(TKey::None());
    collection.Delete(5);
    EXPECT_EQ(collection.Count(), 1);
    EXPECT_EQ(messages.messages,
              (std::vector<std::string>{"Error trying to delete this item.",
                                        "Error trying to delete this item.",
                                        "Error : This primary does not exist in the database.",
                                        "Error trying to delete this item."}));
}

TEST(EstCoreInsumos, DeletedCodesAreNotHandedOutAgain) {
    TInsumos collection;
    AddPrimary(collection);
    AddPrimary(collection);
    collection.Delete("S000002");
    EXPECT_EQ(AddPrimary(collection)->Code(), "S000003");
}

TEST(EstCoreInsumos, RaiseCounterToCodesCoversEveryCodeInUse) {
    TInsumos collection;
    AddPrimary(collection)->SetCode("S000040");
    AddPrimary(collection)->SetCode("weird");
    AddPrimary(collection)->SetCode("D12");
    collection.SetCounter(3);
    collection.RaiseCounterToCodes();
    EXPECT_EQ(collection.Counter(), 40);
    collection.SetCounter(50);
    collection.RaiseCounterToCodes();
    EXPECT_EQ(collection.Counter(), 50);
}

TEST(EstCoreInsumos, DeletingACompoundPurgesTheLinesOfItsOwnCollectionOnly) {
    TDocument doc;
    TInsumo* p = AddPrimary(doc.Primaries, 4.0);
    TInsumoCompuesto* c = AddCompound(doc.Compounds);
    Use(*c, *p, 2);
    TInsumoCompuesto* x = AddCompound(doc.Compounds);
    Use(*x, *p, 1);
    Use(*x, *c, 3);
    TInsumoCompuesto* b = AddCompound(doc.Budgets, kSubKindBudget);
    TItem* budgetLine = Use(*b, *c, 1);
    b->ComputePrice();
    ASSERT_EQ(b->Items().ExplodedCount(), 1);

    doc.Compounds.Delete(c->Code());

    ASSERT_EQ(x->Items().Count(), 1);
    ASSERT_EQ(x->Items().ExplodedCount(), 1); // rebuilt at once
    EXPECT_EQ(x->Items().Exploded()[0].Quantity, 1.0);
    // The budget keeps its line, without a link to the freed compound, until the purge.
    ASSERT_EQ(b->Items().Count(), 1);
    EXPECT_EQ(budgetLine->Insumo, nullptr);
    EXPECT_EQ(b->ComputePrice(), 0.0);
    doc.PurgeBudgetItems();
    EXPECT_EQ(b->Items().Count(), 0);
}

TEST(EstCoreInsumos, DeletingAPrimaryTheWayTheCatalogueDoesLeavesNoLinkBehind) {
    TDocument doc;
    TInsumo* p = AddPrimary(doc.Primaries, 4.0);
    TInsumo* q = AddPrimary(doc.Primaries, 1.0);
    TInsumoCompuesto* c = AddCompound(doc.Compounds);
    Use(*c, *p, 2);
    Use(*c, *q, 2);
    TInsumoCompuesto* b = AddCompound(doc.Budgets, kSubKindBudget);
    Use(*b, *p, 1);
    Use(*b, *c, 1);
    b->ComputePrice();

    p->SetDeleted(1);
    doc.Compounds.PurgeDeleted();
    doc.Primaries.Delete(p->Code());
    // The budget's exploded list referred to the freed primary: it is dropped, not left dangling.
    for (const TItem& e : b->Items().Exploded()) {
        EXPECT_NE(e.Code, "S000001");
    }
    EXPECT_EQ(c->Items().Count(), 1);
    EXPECT_EQ(b->Items().Item(0).Insumo, nullptr);
    EXPECT_EQ(b->ComputePrice(), 2.0);
    doc.PurgeBudgetItems();
    ASSERT_EQ(b->Items().Count(), 1);
    EXPECT_EQ(b->Items().Item(0).Code, c->Code());
}

TEST(EstCoreInsumos, DeletingABudgetClearsDivisionOwnersAndSubBudgetLines) {
    TDocument doc;
    TInsumoCompuesto* top = AddCompound(doc.Budgets, kSubKindBudget);
    TInsumoCompuesto* division = AddCompound(doc.Budgets, kSubKindDivision);
    division->SetOwner(static_cast<const TInsumo*>(top));
    Use(*top, *division);
    TInsumoCompuesto* other = AddCompound(doc.Budgets, kSubKindBudget);
    Use(*other, *top);
    doc.Budgets.Delete(top->Code());
    EXPECT_TRUE(std::holds_alternative<std::monostate>(division->Owner()));
    EXPECT_EQ(other->Items().Count(), 0); // same collection: purged at once
    EXPECT_EQ(doc.Budgets.Count(), 2);
}

TEST(EstCoreDocument, PurgeBudgetItemsRemovesOnlyMissingPrimariesAndCompounds) {
    TDocument doc;
    TInsumo* p = AddPrimary(doc.Primaries);
    TInsumoCompuesto* c = AddCompound(doc.Compounds);
    TInsumoCompuesto* b = AddCompound(doc.Budgets, kSubKindBudget);
    Use(*b, *p);
    Use(*b, *c);
    for (auto [kind, subKind, code] : {std::tuple{kKindPrimary, kSubKindNone, "S000404"},
                                       std::tuple{kKindCompound, kSubKindCompound, "C000404"},
                                       std::tuple{kKindCompound, kSubKindBudget, "P000404"},
                                       std::tuple{kKindCompound, kSubKindDivision, "D000404"}}) {
        TItem line;
        line.Kind = kind;
        line.SubKind = subKind;
        line.Code = code;
        b->Items().Add(line);
    }
    doc.PurgeBudgetItems();
    std::vector<std::string> kept;
    for (const auto& line : b->Items().List()) {
        kept.push_back(line->Code);
    }
    EXPECT_EQ(kept, (std::vector<std::string>{p->Code(), c->Code(), "P000404", "D000404"}));
}

TEST(EstCoreInsumos, PurgeDeletedKeepsUnlinkedLines) {
    TInsumosCompuestos compounds;
    TInsumoCompuesto* c = AddCompound(compounds);
    TItem orphan;
    orphan.Kind = kKindPrimary;
    orphan.Code = "S404";
    c->Items().Add(orphan);
    compounds.PurgeDeleted();
    EXPECT_EQ(c->Items().Count(), 1);
}

TEST(EstCoreNameLists, IndexOfIgnoresCaseForAccentedLettersToo) {
    TUnidades units;
    units.Add("M2");
    units.Add("ÁREA");
    units.Add("área");
    EXPECT_EQ(units.IndexOf("m2"), 0);
    EXPECT_EQ(units.IndexOf("área"), 1);
    EXPECT_EQ(units.IndexOf("Área"), 1);
    EXPECT_EQ(units.IndexOf("m3"), -1);
    EXPECT_EQ(units.Count(), 3);
    units.SetString(1, "kg");
    EXPECT_EQ(units.IndexOf("ÁREA"), 2);
    units.Delete(0);
    EXPECT_EQ(units.Strings(0), "kg");
    EXPECT_THROW(units.Delete(5), std::out_of_range);
    EXPECT_THROW(units.Strings(-1), std::out_of_range);
}

TEST(EstCoreNameLists, CategoriesOwnTheirObjects) {
    TSubCategorias subs;
    subs.AddObject("Cement", std::make_unique<TSubcategoria>("Cement", "Materials"));
    subs.AddObject("cement", std::make_unique<TSubcategoria>("cement", "Labor"));
    EXPECT_EQ(subs.IndexOf("CEMENT"), 0);
    EXPECT_EQ(subs.Objects(1)->Category, "Labor");
    subs.Delete(0);
    EXPECT_EQ(subs.Objects(0)->Name, "cement");
    try {
        subs.Objects(3);
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (3)");
    }
}

TEST(EstCoreDocument, StartsEmptySavedWithTheFiveCostTypes) {
    TDocument doc;
    EXPECT_EQ(doc.Saved, 1);
    EXPECT_TRUE(doc.FileName().empty());
    ASSERT_EQ(doc.CostTypes.Count(), 5);
    const char* names[] = {"Materials", "Labor", "Equipment", "Subcontracts", "Others"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(doc.CostTypes.Strings(i), names[i]);
        EXPECT_EQ(doc.CostTypes.Objects(i)->Name, names[i]);
    }
    EXPECT_EQ(doc.Primaries.Count() + doc.Compounds.Count() + doc.Budgets.Count(), 0);
}

} // namespace
} // namespace estimating
