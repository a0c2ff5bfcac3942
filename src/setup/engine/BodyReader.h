#pragma once
// Reads and decodes the bodies of the files to install on a thread of its own, ahead of the
// worker: while the worker maps a target, asks about it and writes it, the next bodies are
// decoded. Decoded bodies waiting for the worker take no more memory than the largest file (or
// one body, whatever its size), so the worker is never kept waiting by a hand-over alone. Bodies
// come out strictly in package order; one the worker does not install after all is dropped, and
// its fault with it.

#include <QFile>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace setup {

struct BodyLocation {
    std::int32_t DataOffset = 0; // 1-based, as the file table holds it
    std::int32_t StoredSize = 0;
    std::int32_t InstalledSize = 0;
};

class TBodyReader {
public:
    enum class Fault { None, NoData, Unreadable, Damaged };
    struct Body {
        std::vector<std::uint8_t> content;
        Fault fault = Fault::None;
        std::exception_ptr error; // what reading or decoding threw (no memory, say)
    };

    // From here on only the reader's thread uses `dataPak`, which must outlive the reader.
    TBodyReader(QFile& dataPak, bool packed, std::vector<BodyLocation> bodies);
    // Stops after the body at hand and waits for the thread.
    ~TBodyReader();
    TBodyReader(const TBodyReader&) = delete;
    TBodyReader& operator=(const TBodyReader&) = delete;

    // The next body in order, once it is decoded.
    Body Next();

private:
    void Run();
    Fault Read(const BodyLocation& location, std::vector<std::uint8_t>& content);

    QFile& dataPak_;
    const qint64 dataPakSize_;
    const bool packed_;
    const std::vector<BodyLocation> bodies_;
    const std::size_t waitingLimit_;         // bytes of decoded bodies waiting for the worker
    std::vector<std::uint8_t> packedBuffer_; // reader thread only
    std::size_t handedOut_ = 0;              // worker only

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Body> ready_;
    std::size_t readyBytes_ = 0;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace setup
