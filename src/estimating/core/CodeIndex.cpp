#include "CodeIndex.h"

#include "Componentes.h"

#include <cstring>

namespace estimating {

bool TCodeIndex::Holds(const Slot& slot, std::string_view code) {
    if (slot.length != kLongCode) {
        return slot.length == code.size() && std::memcmp(slot.text, code.data(), code.size()) == 0;
    }
    return slot.first->Code() == code;
}

std::size_t TCodeIndex::Probe(std::string_view code, std::size_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].first != nullptr) {
        if (slots_[i].hash == hash && Holds(slots_[i], code)) {
            return i;
        }
        i = (i + 1) & mask;
    }
    return i;
}

const TCodeIndex::Slot* TCodeIndex::Find(std::string_view code) const {
    if (used_ == 0) {
        return nullptr;
    }
    const Slot& slot = slots_[Probe(code, Hash(code))];
    return slot.first != nullptr ? &slot : nullptr;
}

TCodeIndex::Slot* TCodeIndex::Find(std::string_view code) {
    return const_cast<Slot*>(static_cast<const TCodeIndex&>(*this).Find(code));
}

TCodeIndex::Slot& TCodeIndex::FindOrAdd(std::string_view code, TInsumo* entry) {
    if ((used_ + 1) * 2 > slots_.size()) {
        Grow(slots_.empty() ? 16 : slots_.size() * 2);
    }
    const std::size_t hash = Hash(code);
    Slot& slot = slots_[Probe(code, hash)];
    if (slot.first == nullptr) {
        slot = Slot{};
        slot.hash = hash;
        slot.first = entry;
        if (code.size() <= sizeof slot.text) {
            slot.length = static_cast<std::uint8_t>(code.size());
            std::memcpy(slot.text, code.data(), code.size());
        } else {
            slot.length = kLongCode;
        }
        ++used_;
    }
    return slot;
}

void TCodeIndex::Erase(std::string_view code) {
    if (used_ == 0) {
        return;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t hole = Probe(code, Hash(code));
    if (slots_[hole].first == nullptr) {
        return;
    }
    // Backward-shift deletion: move later members of the probe run into the hole.
    for (std::size_t j = (hole + 1) & mask; slots_[j].first != nullptr; j = (j + 1) & mask) {
        const std::size_t home = slots_[j].hash & mask;
        const bool homeBetween =
            hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
        if (!homeBetween) {
            slots_[hole] = slots_[j];
            hole = j;
        }
    }
    slots_[hole] = Slot{};
    --used_;
}

void TCodeIndex::Clear() {
    slots_.clear();
    used_ = 0;
}

void TCodeIndex::Reserve(std::size_t codes) {
    std::size_t size = slots_.empty() ? 16 : slots_.size();
    while (size < codes * 2) {
        size *= 2;
    }
    if (size > slots_.size()) {
        Grow(size);
    }
}

void TCodeIndex::Grow(std::size_t slots) {
    std::vector<Slot> old(slots, Slot{});
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.first == nullptr) {
            continue;
        }
        std::size_t i = slot.hash & mask;
        while (slots_[i].first != nullptr) {
            i = (i + 1) & mask;
        }
        slots_[i] = slot;
    }
}

} // namespace estimating
