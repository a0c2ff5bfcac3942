#include "Seams.h"

#include <cstdio>
#include <mutex>

namespace estimating {
namespace {

std::mutex& SinkMutex() {
    static std::mutex m;
    return m;
}

MessageSink& CurrentMessageSink() {
    static MessageSink sink;
    return sink;
}

BusyCursorSink& CurrentBusySink() {
    static BusyCursorSink sink;
    return sink;
}

void WriteToStderr(const std::string& text) noexcept {
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
}

} // namespace

MessageSink SetMessageSink(MessageSink sink) {
    std::lock_guard lock(SinkMutex());
    std::swap(CurrentMessageSink(), sink);
    return sink;
}

void ShowMessage(const std::string& text) {
    MessageSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = CurrentMessageSink();
    }
    if (!sink) {
        WriteToStderr(text);
        return;
    }
    try {
        sink(text);
    } catch (...) {
        WriteToStderr(text);
    }
}

BusyCursorSink SetBusyCursorSink(BusyCursorSink sink) {
    std::lock_guard lock(SinkMutex());
    std::swap(CurrentBusySink(), sink);
    return sink;
}

namespace {
void NotifyBusy(bool busy) noexcept {
    BusyCursorSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = CurrentBusySink();
    }
    if (!sink) {
        return;
    }
    try {
        sink(busy);
    } catch (...) {
    }
}
} // namespace

TBusyCursor::TBusyCursor() {
    NotifyBusy(true);
}
TBusyCursor::~TBusyCursor() {
    NotifyBusy(false);
}

} // namespace estimating
