#include "MyStrings.h"

#include <array>
#include <stdexcept>

namespace estimating {
namespace {

std::array<TResStringEntry, 13>& Table() {
    static std::array<TResStringEntry, 13> table = {{
        {SCompounds, "SCompounds", "Compounds"},
        {SCloneBudget, "SCloneBudget", "Clone budget"},
        {SNewDivision, "SNewDivision", "New division"},
        {SInputName, "SInputName", "Input a name."},
        {SNewQuantity, "SNewQuantity", "New quantity"},
        {SInputNewQuantity, "SInputNewQuantity", "Input a new quantity"},
        {SNewDatabase, "SNewDatabase", "New database"},
        {SNewName, "SNewName", "New name"},
        {SDeleteElement, "SDeleteElement", "Delete element?"},
        {SFileExists, "SFileExists", "This file already exists. Overwrite it?"},
        {SFileChanged, "SFileChanged", "The file has changed. Do you want to save the changes?"},
        {SError, "SError", "Error"},
        {SDatabasesFolder, "SDatabasesFolder", "Databases\\"},
    }};
    return table;
}

TResStringEntry& EntryOf(TResString id) {
    for (auto& entry : Table()) {
        if (entry.Id == id) {
            return entry;
        }
    }
    throw std::out_of_range("Unknown resource string " + std::to_string(static_cast<int>(id)));
}

} // namespace

const std::string& LoadResString(TResString id) {
    return EntryOf(id).Text;
}

std::span<const TResStringEntry> ResStringTable() {
    return Table();
}

void SetResString(TResString id, std::string text) {
    EntryOf(id).Text = std::move(text);
}

} // namespace estimating
