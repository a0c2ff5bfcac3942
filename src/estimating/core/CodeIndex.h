#pragma once
// The index of a collection by code: for each code in use, the first entry holding it and how many
// entries hold it. Open addressing over one flat array: a lookup costs a hash and, as a rule, one
// probe.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace estimating {

class TInsumo;

class TCodeIndex {
public:
    struct Slot {
        std::size_t hash = 0;
        TInsumo* first = nullptr; // nullptr: free slot
        std::uint32_t count = 0;
        // Short codes are kept here too, so a lookup need not visit the entry.
        std::uint8_t length = 0;
        char text[11] = {};
    };
    static constexpr std::uint8_t kLongCode = 0xFF;

    // The slot of a code, or nullptr.
    Slot* Find(std::string_view code);
    const Slot* Find(std::string_view code) const;
    // The slot of a code, made (with count 0 and no entry) when missing.
    Slot& FindOrAdd(std::string_view code, TInsumo* entry);
    // Forgets a code.
    void Erase(std::string_view code);
    void Clear();
    void Reserve(std::size_t codes);

private:
    static std::size_t Hash(std::string_view code) { return std::hash<std::string_view>{}(code); }
    std::size_t Probe(std::string_view code, std::size_t hash) const;
    static bool Holds(const Slot& slot, std::string_view code);
    void Grow(std::size_t slots);
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

} // namespace estimating
