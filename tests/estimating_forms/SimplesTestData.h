#pragma once
// A document of primaries with stored subcategories, held in the global Document while a
// primaries-catalogue or price-change test runs.

#include "Componentes.h"
#include "Database.h"
#include "ListTexts.h"
#include "Main.h"
#include "MyUtils.h"
#include "ObravelApp.h"
#include "ScriptedSeam.h"

#include <QListWidget>
#include <QStringList>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace simples_testing {

using estimating::TDocument;
using estimating::TInsumo;

inline void AddSubcategory(TDocument& doc, const std::string& name, const std::string& costType) {
    doc.PrimarySubcategories.AddObject(name,
                                       std::make_unique<estimating::TSubcategoria>(name, costType));
}

inline TInsumo* AddPrimary(TDocument& doc, const std::string& name, const std::string& costType,
                           const std::string& subcategory, double price,
                           const std::string& unit = "kg") {
    auto primary = std::make_unique<estimating::TInsumoSimple>();
    primary->SetKind(estimating::kKindPrimary);
    primary->SetCode(doc.Primaries.NewCode(estimating::kKindPrimary, 0));
    primary->SetName(name);
    primary->SetCategory(costType);
    primary->SetSubcategory(subcategory);
    primary->SetPrice(price);
    primary->SetUnit(unit);
    return doc.Primaries.Add(std::move(primary));
}

using forms_testing::Texts;

// The global document and the cost-type names as the program sets them at start.
class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeMainModule();
        previousDocument = Document;
        previousMainForm = MainForm;
        Document = &doc;
        MainForm = nullptr;
    }
    void TearDown() override {
        Document = previousDocument;
        MainForm = previousMainForm;
        estimating::SetDecimalMark(".");
        FinalizeMainModule();
    }

    TDocument doc;
    // Fails any question a test did not expect (a test may put its own seam in front).
    testing_support::ScriptedSeam unexpected;
    TDocument* previousDocument = nullptr;
    TMainForm* previousMainForm = nullptr;
};

} // namespace simples_testing
