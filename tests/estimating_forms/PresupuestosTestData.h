#pragma once
// A small priced database for the budget and report tests, held in the global Document while a
// test runs.

#include "Database.h"
#include "Main.h"
#include "SampleDatabase.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace budget_testing {

using estimating::TDocument;
using estimating::TInsumo;
using estimating::TInsumoCompuesto;
using estimating::TItem;

using forms_testing::addCompoundType;
using forms_testing::addLine;
using forms_testing::addPrimary;

// Cement S000001 (Materials 10/kg), Mason S000002 (Labor 20/h), Mixer S000003 (Equipment 5/h);
// Concrete C000001 = Cement x3 + Mason x2 + Mixer x1 = 75.
// House P000001: Concrete x2.5, Foundations D000002 (Concrete x4), Mason x10, Shed P000003 x1.
// Shed P000003: Concrete x1.  Barn P000004: Shed x2.
struct SampleBudgets {
    explicit SampleBudgets(TDocument& doc) {
        cement = addPrimary(doc, "Cement", "Materials", 10, "kg");
        mason = addPrimary(doc, "Mason", "Labor", 20, "h");
        mixer = addPrimary(doc, "Mixer", "Equipment", 5, "h");
        concrete = addCompoundType(doc, estimating::kSubKindCompound, "Concrete", "m3");
        addLine(*concrete, *cement, 3);
        addLine(*concrete, *mason, 2);
        addLine(*concrete, *mixer, 1);
        house = addCompoundType(doc, estimating::kSubKindBudget, "House");
        foundations = addCompoundType(doc, estimating::kSubKindDivision, "Foundations");
        shed = addCompoundType(doc, estimating::kSubKindBudget, "Shed");
        barn = addCompoundType(doc, estimating::kSubKindBudget, "Barn");
        concreteLine = addLine(*house, *concrete, 2.5);
        foundationsLine = addLine(*house, *foundations, 1);
        addLine(*foundations, *concrete, 4);
        addLine(*house, *mason, 10);
        shedLine = addLine(*house, *shed, 1);
        addLine(*shed, *concrete, 1);
        addLine(*barn, *shed, 2);
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
