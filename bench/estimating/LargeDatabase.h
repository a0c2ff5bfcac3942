#pragma once
// A plain description of a whole price database, a deterministic generator of realistic ones,
// and a writer of the exact .cdb byte image, independent of the estimating core.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace estimating_bench {

struct LineSpec {
    int kind = 0;
    int subKind = 0;
    std::string code;
    std::string name;
    std::string parentCode;
    double quantity = 0.0;
};

struct InputSpec {
    int kind = 0;
    int subKind = 0;
    std::string code;
    std::string name;
    std::string unit;
    std::string description;
    double price = 0.0;
    std::string category;
    std::string subcategory;
    // Compound-type entries only.
    std::vector<LineSpec> lines;
    double generalCostsRate = 0.0;
    double profitRate = 0.0;
    double vatRate = 0.0;
    double otherChargesRate = 0.0;
    std::string client;
    std::string placement;
};

struct NamedCategory {
    std::string name;
    std::string category;
};

struct CollectionSpec {
    std::vector<InputSpec> entries;
    std::int32_t counter = 0;
};

struct DatabaseSpec {
    std::vector<std::string> units;
    std::vector<NamedCategory> primarySubcategories;
    std::vector<std::string> compoundCategories;
    std::vector<NamedCategory> compoundSubcategories;
    CollectionSpec primaries;
    CollectionSpec compounds;
    CollectionSpec budgets;
};

// The defaults describe the large database of the benchmarks. The oracle tests use small shapes
// with the irregular features switched on.
struct DatabaseShape {
    std::uint64_t seed = 0x0b5a7e1d2026ULL;
    int primaries = 10000;
    int compounds = 30000;
    double primaryOnlyShare = 2.0 / 3.0;
    int maxDepth = 4; // a compound made only of primaries has depth 1
    int minLines = 5;
    int maxLines = 12;
    int budgets = 20;
    int budgetLines = 2000;
    int divisionsPerBudget = 50;
    // Irregular features, off for the benchmark database.
    bool nestedDivisions = false;    // divisions inside divisions
    bool subBudgets = false;         // budgets holding earlier budgets
    bool primaryBudgetLines = false; // primaries directly on a budget
    bool strayCategories = false;    // primaries whose category is none of the cost types
    bool danglingLines = false;      // lines whose code exists nowhere
};

DatabaseSpec generateDatabase(const DatabaseShape& shape = {});

// A damaged file the program never writes: `compounds` compounds (filed under the category and
// subcategory "Tangle"), each using `primariesEach` primaries and `othersEach` other compounds,
// all on cycles through each other, and the budget P000001 holding every compound once. Prices
// and quantities are small whole numbers, so that sums come out exact in any order.
DatabaseSpec tangledDatabase(int compounds, int primariesEach, int othersEach);

// The five cost-type names in their fixed order.
const std::vector<std::string>& costTypeNames();

// Writer of the file's primitives; text is UTF-8 in memory and Windows-1252 in the file.
class CdbWriter {
public:
    void writeSignature();
    void writeByte(std::uint8_t value);
    void writeInteger(std::int32_t value);
    void writeDouble(double value);
    void writeString(std::string_view utf8);
    // A length prefix followed by raw bytes, for images the program itself would never write.
    void writeRawString(std::int32_t declaredLength, std::string_view bytes);

    void writeDatabase(const DatabaseSpec& db);
    void writeCollection(const CollectionSpec& collection);
    void writeInput(const InputSpec& input);
    void writeLine(const LineSpec& line);

    const std::string& bytes() const { return bytes_; }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

std::string cdbImage(const DatabaseSpec& db);

// Windows-1252 bytes of UTF-8 text (lossless for every byte value, the five undefined bytes map
// to the C1 code points of the same number).
std::string toWindows1252(std::string_view utf8);

void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);

} // namespace estimating_bench
