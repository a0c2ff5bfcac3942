#pragma once
// The price break-down done the plain way, over the core's data classes: every sub-compound is
// exploded again at each use, merging searches the exploded list from its first entry, and a
// lookup by code walks the collection. It is the baseline of the benchmarks and the oracle of
// the tests; it has no cycle guard, so it is only for acyclic databases.
#include "Componentes.h"

#include <array>
#include <string>
#include <vector>

namespace estimating_bench::literal {

struct ExplodedEntry {
    std::uint8_t kind = 0;
    std::string code;
    std::string parentCode;
    double quantity = 0.0;
    const estimating::TInsumo* insumo = nullptr;
};

using ExplodedList = std::vector<ExplodedEntry>;

// Adds the entry's quantity to the first entry with its code, or appends a copy.
void AddExploded(ExplodedList& exploded, const ExplodedEntry& entry);
// The exploded list of a line list.
ExplodedList Explode(const estimating::TItems& items);

struct PriceResult {
    double total = 0.0;
    std::array<double, estimating::kCostTypeCount> costAmounts{};
    ExplodedList exploded;
};
PriceResult ComputePrice(const estimating::TInsumoCompuesto& input);

// Whether the input has the code or reaches it through kind-1 lines (UsesCode), or through
// budget and division lines (ContainsBudget), by plain recursion.
bool UsesCode(const estimating::TInsumoCompuesto& input, const std::string& code);
bool ContainsBudget(const estimating::TInsumoCompuesto& input, const std::string& code);

// The first entry with the code, found by walking the collection.
estimating::TInsumo* FindByCode(const estimating::TInsumos& collection, const std::string& code);

} // namespace estimating_bench::literal
