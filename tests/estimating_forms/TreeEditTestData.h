#pragma once
// Catalogue data for the item-picker and tree-editing tests: the sample database of the main
// window tests with subcategories, so that the pickers have something to offer.

#include "Database.h"
#include "SampleDatabase.h"

#include <QComboBox>
#include <QString>

namespace forms_testing {

// Subcategories: Materials/Binders (Cement, Lime), Materials/Empty, Labor/Crew (Mason),
// Others/Fees (Permit, and "Old permit" with no subcategory elsewhere); compound categories
// Structure (Concrete in Mixes, Wall in Walls) and Finishes.
inline void addCatalogue(TDocument& doc) {
    auto set = [&](const char* name, const char* sub) {
        for (const auto& p : doc.Primaries.List())
            if (p->Name() == name)
                p->SetSubcategory(sub);
        for (const auto& c : doc.Compounds.List())
            if (c->Name() == name)
                c->SetSubcategory(sub);
    };
    addPrimary(doc, "lime", "Materials", 4, "kg");
    addPrimary(doc, "Old permit", "Others", 1, "Gl.");
    auto addSub = [&](estimating::TSubCategorias& list, const char* name, const char* category) {
        list.AddObject(name, std::make_unique<estimating::TSubcategoria>(name, category));
    };
    addSub(doc.PrimarySubcategories, "Binders", "Materials");
    addSub(doc.PrimarySubcategories, "Empty", "Materials");
    addSub(doc.PrimarySubcategories, "Crew", "Labor");
    addSub(doc.PrimarySubcategories, "Fees", "Others");
    set("Cement", "Binders");
    set("lime", "Binders");
    set("Mason", "Crew");
    set("Permit", "Fees");
    doc.CompoundCategories.AddObject("Structure",
                                     std::make_unique<estimating::TCategoria>("Structure"));
    doc.CompoundCategories.AddObject("Finishes",
                                     std::make_unique<estimating::TCategoria>("Finishes"));
    addSub(doc.CompoundSubcategories, "Mixes", "Structure");
    addSub(doc.CompoundSubcategories, "Walls", "Structure");
    for (const auto& c : doc.Compounds.List())
        c->SetCategory("Structure");
    set("Concrete", "Mixes");
    set("Wall", "Walls");
}

inline QStringList itemsOf(const QComboBox& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.itemText(i));
    return texts;
}

} // namespace forms_testing
