#pragma once
// The program's own message texts, kept in one table under their identifiers so they can be
// replaced in one place.

#include <span>
#include <string>

namespace estimating {

enum TResString : int {
    SCompounds = 65261,
    SCloneBudget = 65262,
    SNewDivision = 65263,
    SInputName = 65232,
    SNewQuantity = 65233,
    SInputNewQuantity = 65234,
    SNewDatabase = 65235,
    SNewName = 65236,
    SDeleteElement = 65237,
    SFileExists = 65238,
    SFileChanged = 65239,
    SError = 65240,
    SDatabasesFolder = 65241,
};

struct TResStringEntry {
    TResString Id;
    const char* Identifier; // "SCompounds"
    std::string Text;
};

// The text kept under an identifier (UTF-8).
const std::string& LoadResString(TResString id);
// The whole table, in identifier order of declaration.
std::span<const TResStringEntry> ResStringTable();
// Replaces the text kept under an identifier (translations, tests).
void SetResString(TResString id, std::string text);

} // namespace estimating
