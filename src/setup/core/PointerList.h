#pragma once
// A singly linked list of untyped item pointers with one forward cursor, 1-based access and an
// optional expiry that drops entries older than MaxAge seconds. The list never owns its items;
// it reports every item it drops through OnDelete.
//
// The timer and the clock are injected. Without them the list gets a TManualListTimer (it never
// fires by itself) and the system clock, which is all the installer needs: it switches the sweep
// off at once. A host with an event loop can pass a timer that calls the tick handler on its
// user-interface thread.

#include <cstdint>
#include <functional>
#include <memory>

namespace setup {

class TListTimer {
public:
    virtual ~TListTimer() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetInterval(std::int32_t milliseconds) = 0;
    virtual std::int32_t Interval() const = 0;
    // The handler is called on every tick while the timer is enabled.
    virtual void SetOnTimer(std::function<void()> handler) = 0;
};

// A timer that ticks only when Fire is called (and only while enabled).
class TManualListTimer : public TListTimer {
public:
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool Enabled() const override { return enabled_; }
    void SetInterval(std::int32_t milliseconds) override { interval_ = milliseconds; }
    std::int32_t Interval() const override { return interval_; }
    void SetOnTimer(std::function<void()> handler) override { onTimer_ = std::move(handler); }
    // Gives true when the tick reached the handler.
    bool Fire();

private:
    bool enabled_ = false;
    std::int32_t interval_ = 1000;
    std::function<void()> onTimer_;
};

// The current date and time in days (whole days since 30 December 1899, time as the fraction).
using TListClock = std::function<double()>;
double SystemNowDays();

class TKestPointerList {
public:
    using TDeleteEvent = std::function<void(TKestPointerList& sender, void* item)>;

    explicit TKestPointerList(std::unique_ptr<TListTimer> timer = nullptr, TListClock clock = {});
    ~TKestPointerList();
    TKestPointerList(const TKestPointerList&) = delete;
    TKestPointerList& operator=(const TKestPointerList&) = delete;

    void Add(void* item);
    void First();
    bool Next();
    void* Current() const;
    void* Items(std::int32_t index) const; // 1-based; nullptr outside 1..Count
    void Clear();
    void SetSweepInterval(std::int32_t seconds);
    void Sweep(); // the timer's tick handler

    std::int32_t Count() const { return count_; }
    std::int32_t MaxAge() const { return maxAge_; }
    void SetMaxAge(std::int32_t seconds) { maxAge_ = seconds; }
    std::int32_t SweepInterval() const { return sweepInterval_; }
    TListTimer& Timer() { return *timer_; }

    TDeleteEvent OnDelete;

private:
    struct PointerListNode {
        void* item;
        double time;
        PointerListNode* next;
    };

    bool IsExpired(const PointerListNode& node, double now) const;
    void DropNode(PointerListNode* node);
    void RemoveExpired();

    std::unique_ptr<TListTimer> timer_;
    TListClock clock_;
    PointerListNode* head_ = nullptr;
    PointerListNode* tail_ = nullptr;
    PointerListNode* cursorNode_ = nullptr;
    std::int32_t count_ = 0;
    std::int32_t maxAge_ = 0;
    std::int32_t sweepInterval_ = 0;
};

} // namespace setup
