#include "BodyReader.h"

#include "lzh.h"
#include "lzh_U1.h"

#include <algorithm>
#include <utility>

namespace setup {

namespace {

std::int32_t ReadLittleInt(const std::uint8_t* bytes) {
    return static_cast<std::int32_t>(std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) |
                                     (std::uint32_t(bytes[2]) << 16) |
                                     (std::uint32_t(bytes[3]) << 24));
}

// No intact packed body decodes to more than this; a larger claim is damage, never memory to set
// aside.
bool PlausibleSize(const BodyLocation& location) {
    const std::int64_t stream = std::int64_t(location.StoredSize) - 4;
    return location.InstalledSize >= 0 && stream > 0 &&
           location.InstalledSize <= stream * lzh::kMaxBytesPerStreamByte;
}

std::size_t DecodedSize(const BodyLocation& location, bool packed) {
    if (!packed)
        return static_cast<std::size_t>(std::max(location.StoredSize, 0));
    return PlausibleSize(location) ? static_cast<std::size_t>(location.InstalledSize) : 0;
}

std::size_t LargestBody(const std::vector<BodyLocation>& bodies, bool packed) {
    std::size_t largest = 0;
    for (const BodyLocation& location : bodies)
        largest = std::max(largest, DecodedSize(location, packed));
    return largest;
}

} // namespace

TBodyReader::TBodyReader(QFile& dataPak, bool packed, std::vector<BodyLocation> bodies)
    : dataPak_(dataPak), dataPakSize_(dataPak.size()), packed_(packed), bodies_(std::move(bodies)),
      waitingLimit_(LargestBody(bodies_, packed)), thread_([this] { Run(); }) {}

TBodyReader::~TBodyReader() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

TBodyReader::Body TBodyReader::Next() {
    if (handedOut_ >= bodies_.size())
        return Body{{}, Fault::NoData, nullptr};
    ++handedOut_;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty(); });
    Body body = std::move(ready_.front());
    ready_.pop_front();
    readyBytes_ -= body.content.capacity();
    lock.unlock();
    changed_.notify_all();
    return body;
}

void TBodyReader::Run() {
    for (const BodyLocation& location : bodies_) {
        const std::size_t size = DecodedSize(location, packed_);
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] {
                return stop_ || ready_.empty() || readyBytes_ + size <= waitingLimit_;
            });
            if (stop_)
                return;
        }
        Body body;
        try {
            body.fault = Read(location, body.content);
        } catch (...) {
            body.error = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            readyBytes_ += body.content.capacity();
            ready_.push_back(std::move(body));
        }
        changed_.notify_all();
    }
}

TBodyReader::Fault TBodyReader::Read(const BodyLocation& location,
                                     std::vector<std::uint8_t>& content) {
    const qint64 start = qint64(location.DataOffset) - 1;
    if (start < 0 || location.StoredSize < 0 || start + location.StoredSize > dataPakSize_ ||
        !dataPak_.seek(start))
        return Fault::NoData;
    std::vector<std::uint8_t>& body = packed_ ? packedBuffer_ : content;
    body.resize(static_cast<std::size_t>(location.StoredSize));
    if (dataPak_.read(reinterpret_cast<char*>(body.data()), location.StoredSize) !=
        location.StoredSize)
        return Fault::Unreadable;
    if (!packed_)
        return Fault::None;

    if (!PlausibleSize(location) ||
        ReadLittleInt(body.data() + body.size() - 4) != location.InstalledSize)
        return Fault::Damaged;
    content.reserve(static_cast<std::size_t>(location.InstalledSize));
    TCustom_lzh coder;
    coder.InputBuffer = body.data();
    coder.InputSize = location.StoredSize;
    coder.OutputStream = &content;
    coder.OutputLimit = location.InstalledSize;
    if (!coder.Decompress() || content.size() != static_cast<std::size_t>(location.InstalledSize))
        return Fault::Damaged;
    return Fault::None;
}

} // namespace setup
