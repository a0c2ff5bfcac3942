#pragma once
// Shared pieces of the oracle, damaged-file and cycle tests: a scratch folder, a record of the
// messages the model shows, loading a byte image through a real file, and comparisons of the
// core's break-down with the plain one.
#include "Database.h"
#include "LargeDatabase.h"
#include "LiteralAlgorithm.h"
#include "Seams.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace oracle_tests {

inline const std::string kStreamReadError = "File reading error \r\nStream read error";

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Records every message shown while it lives.
class MessageLog {
public:
    MessageLog();
    std::vector<std::string> texts;

private:
    estimating::ScopedMessageSink sink_;
};

struct LoadResult {
    std::unique_ptr<estimating::TDocument> document;
    bool complete = false;
    std::vector<std::string> messages;
};

// Writes the image to a file of the folder and loads it into a new document.
LoadResult loadImage(const ScratchFolder& folder, const std::string& image);
// The bytes the core writes for the document.
std::string savedImage(const ScratchFolder& folder, estimating::TDocument& document);

// Every compound-type entry of the three collections.
std::vector<estimating::TInsumoCompuesto*> compoundTypeEntries(estimating::TDocument& document);

// Compares the core's ComputePrice, CostAmounts and exploded list of the input with the plain
// algorithm's, bit for bit; gives a description of the first difference, or "".
std::string differenceFromLiteral(estimating::TInsumoCompuesto& input);

// Runs every computation on every entry, the way a damaged document would meet them.
void exerciseEverything(estimating::TDocument& document);

} // namespace oracle_tests
