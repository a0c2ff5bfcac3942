#include "RootPlatform.h"

#include <atomic>

namespace winplatform {

namespace {

std::atomic<Platform*> installed{nullptr};

Platform& defaultPlatform() {
    static RootPlatform platform(RootPlatform::defaultRootFolder());
    return platform;
}

} // namespace

Platform& current() {
    Platform* p = installed.load();
    return p ? *p : defaultPlatform();
}

Platform* setCurrent(Platform* p) {
    return installed.exchange(p);
}

} // namespace winplatform
