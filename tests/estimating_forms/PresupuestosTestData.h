#pragma once
// A small priced database for the budget and report tests, held in the global Document while a
// test runs.

#include "Database.h"
#include "Main.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace budget_testing {

using estimating::TDocument;
using estimating::TInsumo;
using estimating::TInsumoCompuesto;
using estimating::TItem;

inline TInsumo* AddPrimary(TDocument& doc, const std::string& name, const std::string& category,
                           double price, const std::string& unit) {
    auto primary = std::make_unique<estimating::TInsumoSimple>();
    primary->SetKind(estimating::kKindPrimary);
    primary->SetCode(doc.Primaries.NewCode(0, 0));
    primary->SetName(name);
    primary->SetCategory(category);
    primary->SetPrice(price);
    primary->SetUnit(unit);
    return doc.Primaries.Add(std::move(primary));
}

inline TInsumoCompuesto* AddCompoundType(TDocument& doc, std::uint8_t subKind,
                                         const std::string& name, const std::string& unit = "Gl.") {
    auto input = std::make_unique<estimating::TPresupuesto>();
    input->SetKind(estimating::kKindCompound);
    input->SetSubKind(subKind);
    estimating::TInsumos& collection = subKind == estimating::kSubKindCompound
                                           ? static_cast<estimating::TInsumos&>(doc.Compounds)
                                           : static_cast<estimating::TInsumos&>(doc.Budgets);
    input->SetCode(collection.NewCode(estimating::kKindCompound, subKind));
    input->SetName(name);
    input->SetUnit(unit);
    return collection.Add(std::move(input))->AsCompuesto();
}

inline TItem* AddLine(TInsumoCompuesto& holder, TInsumo& input, double quantity) {
    TItem line;
    line.Kind = input.Kind();
    line.SubKind = input.SubKind();
    line.Code = input.Code();
    line.Name = input.Name();
    line.Insumo = &input;
    line.Quantity = quantity;
    return holder.Items().Add(line);
}

// Cement S000001 (Materials 10/kg), Mason S000002 (Labor 20/h), Mixer S000003 (Equipment 5/h);
// Concrete C000001 = Cement x3 + Mason x2 + Mixer x1 = 75.
// House P000001: Concrete x2.5, Foundations D000002 (Concrete x4), Mason x10, Shed P000003 x1.
// Shed P000003: Concrete x1.  Barn P000004: Shed x2.
struct SampleBudgets {
    explicit SampleBudgets(TDocument& doc) {
        cement = AddPrimary(doc, "Cement", "Materials", 10, "kg");
        mason = AddPrimary(doc, "Mason", "Labor", 20, "h");
        mixer = AddPrimary(doc, "Mixer", "Equipment", 5, "h");
        concrete = AddCompoundType(doc, estimating::kSubKindCompound, "Concrete", "m3");
        AddLine(*concrete, *cement, 3);
        AddLine(*concrete, *mason, 2);
        AddLine(*concrete, *mixer, 1);
        house = AddCompoundType(doc, estimating::kSubKindBudget, "House");
        foundations = AddCompoundType(doc, estimating::kSubKindDivision, "Foundations");
        shed = AddCompoundType(doc, estimating::kSubKindBudget, "Shed");
        barn = AddCompoundType(doc, estimating::kSubKindBudget, "Barn");
        concreteLine = AddLine(*house, *concrete, 2.5);
        foundationsLine = AddLine(*house, *foundations, 1);
        AddLine(*foundations, *concrete, 4);
        AddLine(*house, *mason, 10);
        shedLine = AddLine(*house, *shed, 1);
        AddLine(*shed, *concrete, 1);
        AddLine(*barn, *shed, 2);
        doc.Saved = 1;
    }
    TInsumo* cement;
    TInsumo* mason;
    TInsumo* mixer;
    TInsumoCompuesto* concrete;
    TInsumoCompuesto* house;
    TInsumoCompuesto* foundations;
    TInsumoCompuesto* shed;
    TInsumoCompuesto* barn;
    TItem* concreteLine;
    TItem* foundationsLine;
    TItem* shedLine;
};

// Puts a fresh document in the global Document for the test's duration (no main window).
class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDocument = Document;
        previousMainForm = MainForm;
        Document = &doc;
        MainForm = nullptr;
    }
    void TearDown() override {
        Document = previousDocument;
        MainForm = previousMainForm;
    }

    TDocument doc;
    TDocument* previousDocument = nullptr;
    TMainForm* previousMainForm = nullptr;
};

} // namespace budget_testing
