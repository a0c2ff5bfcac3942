#include "LiteralAlgorithm.h"

namespace estimating_bench::literal {

using estimating::TInsumo;
using estimating::TInsumoCompuesto;
using estimating::TItem;
using estimating::TItems;

void AddExploded(ExplodedList& exploded, const ExplodedEntry& entry) {
    for (auto& existing : exploded) {
        if (existing.code == entry.code) {
            existing.quantity += entry.quantity;
            return;
        }
    }
    exploded.push_back(entry);
}

namespace {

ExplodedEntry EntryOf(const TItem& line) {
    return {line.Kind, line.Code, line.ParentCode, line.Quantity, line.Insumo};
}

} // namespace

ExplodedList Explode(const TItems& items) {
    ExplodedList exploded;
    for (const auto& line : items.List()) {
        if (line->Insumo == nullptr)
            continue;
        if (line->Kind == estimating::kKindPrimary) {
            AddExploded(exploded, EntryOf(*line));
        } else if (line->Kind == estimating::kKindCompound) {
            const TInsumoCompuesto* sub = line->Insumo->AsCompuesto();
            if (sub == nullptr)
                continue;
            for (ExplodedEntry entry : Explode(sub->Items())) {
                entry.quantity *= line->Quantity;
                AddExploded(exploded, entry);
            }
        }
    }
    return exploded;
}

PriceResult ComputePrice(const TInsumoCompuesto& input) {
    PriceResult result;
    result.exploded = Explode(input.Items());
    for (const auto& entry : result.exploded) {
        const double amount = entry.insumo->Price() * entry.quantity;
        for (std::size_t slot = 0; slot < estimating::kCostTypeNames.size(); ++slot) {
            if (entry.insumo->Category() == estimating::kCostTypeNames[slot]) {
                result.costAmounts[slot] += amount;
                break;
            }
        }
        result.total += amount;
    }
    return result;
}

bool UsesCode(const TInsumoCompuesto& input, const std::string& code) {
    if (input.Code() == code)
        return true;
    for (const auto& line : input.Items().List()) {
        if (line->Kind != estimating::kKindCompound || line->Insumo == nullptr)
            continue;
        if (line->Code == code)
            return true;
        const TInsumoCompuesto* sub = line->Insumo->AsCompuesto();
        if (sub != nullptr ? UsesCode(*sub, code) : line->Insumo->Code() == code)
            return true;
    }
    return false;
}

bool ContainsBudget(const TInsumoCompuesto& input, const std::string& code) {
    if (input.Code() == code)
        return true;
    for (const auto& line : input.Items().List()) {
        const bool budgetLine = line->SubKind == estimating::kSubKindBudget ||
                                line->SubKind == estimating::kSubKindDivision;
        if (!budgetLine || line->Insumo == nullptr)
            continue;
        if (line->Code == code)
            return true;
        const TInsumoCompuesto* sub = line->Insumo->AsCompuesto();
        if (sub != nullptr ? ContainsBudget(*sub, code) : line->Insumo->Code() == code)
            return true;
    }
    return false;
}

TInsumo* FindByCode(const estimating::TInsumos& collection, const std::string& code) {
    for (const auto& entry : collection.List())
        if (entry->Code() == code)
            return entry.get();
    return nullptr;
}

} // namespace estimating_bench::literal
