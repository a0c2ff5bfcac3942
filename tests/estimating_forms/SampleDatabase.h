#pragma once
// A small database with every kind of input, used by the main-window tests and the screenshots.

#include "Database.h"

#include <QString>

#include <memory>
#include <string>

namespace forms_testing {

using estimating::TDocument;
using estimating::TInsumo;
using estimating::TInsumoCompuesto;
using estimating::TInsumoSimple;
using estimating::TItem;
using estimating::TPresupuesto;

inline TInsumo* addPrimary(TDocument& doc, const std::string& name, const std::string& category,
                           double price, const std::string& unit) {
    auto p = std::make_unique<TInsumoSimple>();
    p->SetKind(0);
    p->SetCode(doc.Primaries.NewCode(0, 0));
    p->SetName(name);
    p->SetCategory(category);
    p->SetPrice(price);
    p->SetUnit(unit);
    return doc.Primaries.Add(std::move(p));
}

inline TInsumoCompuesto* addCompoundType(TDocument& doc, std::uint8_t subKind,
                                         const std::string& name, const std::string& unit = "Gl.") {
    std::unique_ptr<TInsumoCompuesto> c;
    if (subKind == 1)
        c = std::make_unique<TInsumoCompuesto>();
    else
        c = std::make_unique<TPresupuesto>();
    c->SetKind(1);
    c->SetSubKind(subKind);
    auto& collection = subKind == 1 ? static_cast<estimating::TInsumos&>(doc.Compounds)
                                    : static_cast<estimating::TInsumos&>(doc.Budgets);
    c->SetCode(collection.NewCode(1, subKind));
    c->SetName(name);
    c->SetUnit(unit);
    return collection.Add(std::move(c))->AsCompuesto();
}

inline TItem* addLine(TInsumoCompuesto& holder, TInsumo& input, double quantity) {
    TItem line;
    line.Kind = input.Kind();
    line.SubKind = input.SubKind();
    line.Code = input.Code();
    line.Name = input.Name();
    line.Insumo = &input;
    line.Quantity = quantity;
    return holder.Items().Add(line);
}

// Primaries of every cost type, two compounds, and two budgets:
//   House P000001: Foundations D000002 (Concrete x4, Permit x1), Wall x3, Mason x10, Roof D000003
//   Shed P000004: Concrete x1
// Concrete C000001 = Cement x3 + Mason x2 + Mixer x1 = 75 (M 30, L 40, E 5)
// Wall C000002 = Concrete x2 + Painting x1 = 158 (M 60, L 80, E 10, S 8)
// House = 976 (M 300, L 600, E 50, S 24, O 2)
inline void buildSample(TDocument& doc) {
    doc.Units.Add("kg");
    doc.Units.Add("h");
    TInsumo* cement = addPrimary(doc, "Cement", "Materials", 10, "kg");
    TInsumo* mason = addPrimary(doc, "Mason", "Labor", 20, "h");
    TInsumo* mixer = addPrimary(doc, "Mixer", "Equipment", 5, "h");
    TInsumo* painting = addPrimary(doc, "Painting", "Subcontracts", 8, "m2");
    TInsumo* permit = addPrimary(doc, "Permit", "Others", 2, "Gl.");
    TInsumoCompuesto* concrete = addCompoundType(doc, 1, "Concrete", "m3");
    addLine(*concrete, *cement, 3);
    addLine(*concrete, *mason, 2);
    addLine(*concrete, *mixer, 1);
    TInsumoCompuesto* wall = addCompoundType(doc, 1, "Wall", "m2");
    addLine(*wall, *concrete, 2);
    addLine(*wall, *painting, 1);

    TInsumoCompuesto* house = addCompoundType(doc, 2, "House", "Gl.");
    TInsumoCompuesto* foundations = addCompoundType(doc, 3, "Foundations", "Gl.");
    TInsumoCompuesto* roof = addCompoundType(doc, 3, "Roof", "Gl.");
    addLine(*foundations, *concrete, 4);
    addLine(*foundations, *permit, 1);
    addLine(*house, *foundations, 1);
    addLine(*house, *wall, 3);
    addLine(*house, *mason, 10);
    addLine(*house, *roof, 1);
    TInsumoCompuesto* shed = addCompoundType(doc, 2, "Shed", "Gl.");
    addLine(*shed, *concrete, 1);
}

inline QString writeSample(const QString& path) {
    TDocument doc;
    buildSample(doc);
    doc.SetFileName(path.toStdString());
    doc.Save();
    return path;
}

} // namespace forms_testing
