#include "lzh.h"

#include <cstring>

namespace setup {

namespace {

constexpr std::int32_t kTrailerSize = 4;

// Hands the coder's byte calls to the object's GetBytes and PutBytes.
class TCoderPort : public TLzhInput, public TLzhOutput {
public:
    explicit TCoderPort(TCustom_lzh& coder) : coder_(coder) {}
    std::uint16_t GetBytes(std::uint8_t* buffer, std::uint16_t requested) override {
        return coder_.GetBytes(buffer, requested);
    }
    std::uint16_t PutBytes(const std::uint8_t* buffer, std::uint16_t count) override {
        return coder_.PutBytes(buffer, count);
    }

private:
    TCustom_lzh& coder_;
};

void AppendInt32(TLzhMemoryStream& stream, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        stream.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::int32_t ReadInt32(const std::uint8_t* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return static_cast<std::int32_t>(value);
}

} // namespace

std::uint16_t TCustom_lzh::GetBytes(std::uint8_t* buffer, std::uint16_t requested) {
    const std::int32_t left = InputBuffer != nullptr ? InputSize - InputPos : 0;
    const std::uint16_t actual =
        left <= 0 ? 0 : static_cast<std::uint16_t>(std::min<std::int32_t>(requested, left));
    if (actual > 0)
        std::memcpy(buffer, InputBuffer + InputPos, actual);
    InputPos += actual;
    InputRemaining = InputSize - InputPos;
    if (OnProgress != nullptr)
        OnProgress(InputRemaining, ProgressData);
    return actual;
}

std::uint16_t TCustom_lzh::PutBytes(const std::uint8_t* buffer, std::uint16_t count) {
    OutputStream->insert(OutputStream->end(), buffer, buffer + count);
    return count;
}

bool TCustom_lzh::Compress() {
    if (OutputStream == nullptr)
        return false;
    OutputStream->clear();
    InputPos = 0;
    InputRemaining = 0;
    try {
        TCoderPort port(*this);
        const std::uint32_t consumed = LZHPack(port, port);
        AppendInt32(*OutputStream, consumed);
    } catch (const ElzhException&) {
        return false;
    }
    return true;
}

bool TCustom_lzh::Decompress() {
    if (OutputStream == nullptr)
        return false;
    OutputStream->clear();
    InputPos = 0;
    InputRemaining = 0;
    if (InputSize <= kTrailerSize || InputBuffer == nullptr)
        return false;
    const std::int32_t originalSize = ReadInt32(InputBuffer + InputSize - kTrailerSize);
    const std::int64_t mostPossible =
        lzh::kMaxBytesPerStreamByte * std::int64_t{InputSize - kTrailerSize};
    if (originalSize > mostPossible || originalSize > OutputLimit)
        return false;
    if (originalSize > 0) // bounded above, so the whole output can be set aside at once
        OutputStream->reserve(static_cast<std::size_t>(originalSize));
    try {
        TCoderPort port(*this);
        LZHUnpack(originalSize, port, port);
    } catch (const ElzhException&) {
        return false;
    }
    return true;
}

TLzhMemoryStream LzhCompress(std::span<const std::uint8_t> data) {
    TLzhMemoryStream out;
    TCustom_lzh coder;
    coder.InputBuffer = data.data();
    coder.InputSize = static_cast<std::int32_t>(data.size());
    coder.OutputStream = &out;
    if (!coder.Compress())
        throw ElzhException(kLzhAllocMessage);
    return out;
}

std::optional<TLzhMemoryStream> LzhDecompress(std::span<const std::uint8_t> stream,
                                              std::int64_t outputLimit) {
    TLzhMemoryStream out;
    TCustom_lzh coder;
    coder.InputBuffer = stream.data();
    coder.InputSize = static_cast<std::int32_t>(stream.size());
    coder.OutputStream = &out;
    coder.OutputLimit = outputLimit;
    if (!coder.Decompress())
        return std::nullopt;
    return out;
}

} // namespace setup
