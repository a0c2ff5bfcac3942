#pragma once
// The key of a lookup in a line list or a collection: a code (the first entry whose code is
// equal, exact and case-sensitive) or a zero-based position. A default key, or one built from
// any other type, finds nothing.

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace estimating {

class TKey {
public:
    TKey() = default;
    TKey(std::string code) : value_(std::move(code)) {}
    TKey(std::string_view code) : value_(std::string(code)) {}
    TKey(const char* code) : value_(std::string(code ? code : "")) {}
    template <std::integral I>
    requires(!std::same_as<I, bool> && !std::same_as<I, char>) TKey(I position)
        : value_(static_cast<std::int64_t>(position)) {}
    TKey(bool) = delete;
    TKey(double) = delete;
    TKey(std::nullptr_t) = delete;

    // A key of another type: finds nothing.
    static TKey None() { return TKey(); }

    bool IsCode() const { return std::holds_alternative<std::string>(value_); }
    bool IsPosition() const { return std::holds_alternative<std::int64_t>(value_); }
    const std::string& Code() const { return std::get<std::string>(value_); }
    std::int64_t Position() const { return std::get<std::int64_t>(value_); }

private:
    std::variant<std::monostate, std::string, std::int64_t> value_;
};

} // namespace estimating
