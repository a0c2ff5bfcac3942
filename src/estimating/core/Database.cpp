#include "Database.h"

#include "Seams.h"

#include <array>

namespace estimating {
namespace {

constexpr std::array<std::uint8_t, 3> kSignature = {0x1B, 0xA2, 0x0D};

} // namespace

TDocument::TDocument() {
    for (std::string_view name : kCostTypeNames) {
        CostTypes.AddObject(std::string(name), std::make_unique<TCategoria>(std::string(name)));
    }
    Primaries.SetRemovalHook([this](const TInsumo& input) { ForgetLinksTo(input); });
    Compounds.SetRemovalHook([this](const TInsumo& input) { ForgetLinksTo(input); });
    Budgets.SetRemovalHook([this](const TInsumo& input) { ForgetLinksTo(input); });
}

TDocument::~TDocument() = default;

void TDocument::SetFileName(std::string path) {
    Archive.SetFileName(path);
    fileName_ = std::move(path);
}

void TDocument::ForgetLinksTo(const TInsumo& input) {
    Primaries.ForgetLinksTo(input);
    Compounds.ForgetLinksTo(input);
    Budgets.ForgetLinksTo(input);
}

bool TDocument::Load() {
    TBusyCursor busy;
    bool complete = false;
    Archive.SetStoring(false);
    try {
        Archive.Open();
        complete = Transfer(Archive);
    } catch (const std::exception& e) {
        ShowMessage(std::string(kFileReadingError) + "\r\n" + e.what());
        KeepWhatWasRead();
    }
    Archive.Discard();
    return complete;
}

void TDocument::KeepWhatWasRead() {
    try {
        Primaries.RaiseCounterToCodes();
        Compounds.RaiseCounterToCodes();
        Budgets.RaiseCounterToCodes();
        ResolveCompoundRefs();
        ResolveBudgetRefs();
    } catch (const std::exception& e) {
        ShowMessage(std::string(kFileReadingError) + "\r\n" + e.what());
    }
}

bool TDocument::Save() {
    TBusyCursor busy;
    Archive.SetStoring(true);
    try {
        Archive.Open();
        Transfer(Archive);
    } catch (const std::exception& e) {
        Archive.Discard();
        ShowMessage(std::string(kFileWritingError) + e.what());
        return false;
    }
    Archive.Close(); // frees the image even when it throws
    Saved = 1;
    return true;
}

bool TDocument::Transfer(TArchive& archive) {
    if (archive.IsStoring()) {
        for (std::uint8_t b : kSignature) {
            archive.WriteByte(b);
        }
    } else {
        for (std::uint8_t b : kSignature) {
            if (archive.ReadByte() != b) {
                ShowMessage(std::string(kUnknownFormatMessage));
                return false;
            }
        }
    }
    Units.Transfer(archive);
    PrimarySubcategories.Transfer(archive);
    CompoundCategories.Transfer(archive);
    CompoundSubcategories.Transfer(archive);
    Primaries.Transfer(archive);
    Compounds.Transfer(archive);
    Budgets.Transfer(archive);
    if (!archive.IsStoring()) {
        ResolveCompoundRefs();
        ResolveBudgetRefs();
    }
    return true;
}

void TDocument::ResolveCompoundRefs() {
    for (const auto& entry : Compounds.List()) {
        TInsumoCompuesto* compound = entry->AsCompuesto();
        if (compound == nullptr) {
            continue;
        }
        for (const auto& line : compound->Items().List()) {
            if (line->Kind == kKindPrimary) {
                line->Insumo = Primaries.Find(line->Code);
            } else if (line->Kind == kKindCompound) {
                line->Insumo = Compounds.Find(line->Code);
            }
        }
    }
}

void TDocument::ResolveBudgetRefs() {
    for (const auto& entry : Budgets.List()) {
        TInsumoCompuesto* budget = entry->AsCompuesto();
        if (budget == nullptr) {
            continue;
        }
        for (const auto& line : budget->Items().List()) {
            if (line->Kind == kKindPrimary) {
                line->Insumo = Primaries.Find(line->Code);
            } else if (line->Kind == kKindCompound) {
                line->Insumo = line->SubKind == kSubKindCompound ? Compounds.Find(line->Code)
                                                                 : Budgets.Find(line->Code);
                TInsumo* parent = Budgets.Find(line->ParentCode);
                line->Parent = parent != nullptr ? parent->AsCompuesto() : nullptr;
            }
        }
    }
}

void TDocument::PurgeBudgetItems() {
    for (const auto& entry : Budgets.List()) {
        TInsumoCompuesto* budget = entry->AsCompuesto();
        if (budget == nullptr) {
            continue;
        }
        TItems& items = budget->Items();
        for (int i = items.Count() - 1; i >= 0; --i) {
            const TItem& line = items.Item(i);
            const bool goneCompound = line.Kind == kKindCompound &&
                                      line.SubKind == kSubKindCompound &&
                                      Compounds.Find(line.Code) == nullptr;
            const bool gonePrimary =
                line.Kind == kKindPrimary && Primaries.Find(line.Code) == nullptr;
            if (goneCompound || gonePrimary) {
                items.Delete(i);
            }
        }
    }
}

} // namespace estimating
