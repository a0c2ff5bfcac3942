#include "PointerList.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace setup {

namespace {

constexpr double kSecondsPerDay = 86400.0;
// Days from 30 December 1899 to 1 January 1970.
constexpr double kUnixEpochDays = 25569.0;
constexpr std::int32_t kDefaultTimerInterval = 1000;
constexpr double kAgeTolerance = 0.0005;

} // namespace

bool TManualListTimer::Fire() {
    if (!enabled_ || !onTimer_)
        return false;
    onTimer_();
    return true;
}

double SystemNowDays() {
    using namespace std::chrono;
    const auto since = system_clock::now().time_since_epoch();
    return kUnixEpochDays + duration<double>(since).count() / kSecondsPerDay;
}

TKestPointerList::TKestPointerList(std::unique_ptr<TListTimer> timer, TListClock clock)
    : timer_(timer ? std::move(timer) : std::make_unique<TManualListTimer>()),
      clock_(clock ? std::move(clock) : TListClock(SystemNowDays)) {
    timer_->SetEnabled(false);
    timer_->SetOnTimer([this] { Sweep(); });
    timer_->SetInterval(kDefaultTimerInterval);
    timer_->SetEnabled(true);
}

TKestPointerList::~TKestPointerList() {
    Clear();
    timer_->SetEnabled(false);
    timer_->SetOnTimer({});
}

void TKestPointerList::Add(void* item) {
    auto* node = new PointerListNode{item, clock_(), nullptr};
    if (head_ == nullptr) {
        head_ = node;
        cursorNode_ = node;
    } else {
        tail_->next = node;
    }
    tail_ = node;
    ++count_;
}

void TKestPointerList::First() {
    cursorNode_ = head_;
}

bool TKestPointerList::Next() {
    if (cursorNode_ == nullptr || cursorNode_->next == nullptr)
        return false;
    cursorNode_ = cursorNode_->next;
    return true;
}

void* TKestPointerList::Current() const {
    return cursorNode_ != nullptr ? cursorNode_->item : nullptr;
}

void* TKestPointerList::Items(std::int32_t index) const {
    if (index < 1 || index > count_)
        return nullptr;
    const PointerListNode* node = head_;
    for (std::int32_t i = 1; i < index; ++i)
        node = node->next;
    return node->item;
}

void TKestPointerList::DropNode(PointerListNode* node) {
    void* item = node->item;
    delete node;
    if (OnDelete)
        OnDelete(*this, item);
}

void TKestPointerList::Clear() {
    // The handler may look at the list, so it must see it consistent: the head stays until last.
    if (head_ != nullptr) {
        while (head_->next != nullptr) {
            PointerListNode* second = head_->next;
            head_->next = second->next;
            if (tail_ == second)
                tail_ = head_;
            if (cursorNode_ == second)
                cursorNode_ = head_;
            --count_;
            DropNode(second);
        }
        PointerListNode* last = head_;
        head_ = tail_ = cursorNode_ = nullptr;
        count_ = 0;
        DropNode(last);
    }
    head_ = tail_ = cursorNode_ = nullptr;
    count_ = 0;
}

void TKestPointerList::SetSweepInterval(std::int32_t seconds) {
    if (sweepInterval_ == 0 && seconds > 0)
        timer_->SetEnabled(true);
    sweepInterval_ = seconds;
    if (seconds == 0)
        timer_->SetEnabled(false);
}

// Times are days in a double, good to well under a millisecond at today's dates; the age is
// compared to the millisecond so that an entry exactly MaxAge seconds old reliably stays.
bool TKestPointerList::IsExpired(const PointerListNode& node, double now) const {
    const double ageSeconds = (now - node.time) * kSecondsPerDay;
    return ageSeconds > static_cast<double>(maxAge_) + kAgeTolerance;
}

// A removed node under the cursor hands the cursor on to the node that now stands in its
// place (none at the end of the list), so Current never reaches a freed node and a walk goes
// on with the first entry it has not seen.
void TKestPointerList::RemoveExpired() {
    const double now = clock_();
    while (head_ != nullptr && IsExpired(*head_, now)) {
        PointerListNode* gone = head_;
        head_ = gone->next;
        if (cursorNode_ == gone)
            cursorNode_ = head_;
        if (head_ == nullptr)
            tail_ = nullptr;
        --count_;
        DropNode(gone);
    }
    if (head_ == nullptr)
        return;
    PointerListNode* previous = head_;
    while (previous->next != nullptr) {
        PointerListNode* node = previous->next;
        if (!IsExpired(*node, now)) {
            previous = node;
            continue;
        }
        previous->next = node->next;
        if (cursorNode_ == node)
            cursorNode_ = node->next;
        if (tail_ == node)
            tail_ = previous;
        --count_;
        DropNode(node);
    }
}

void TKestPointerList::Sweep() {
    timer_->SetEnabled(false);
    if (maxAge_ > 0)
        RemoveExpired();
    if (sweepInterval_ > 0) {
        const std::int64_t ms = std::int64_t{sweepInterval_} * 1000;
        timer_->SetInterval(static_cast<std::int32_t>(std::min<std::int64_t>(ms, INT32_MAX)));
        timer_->SetEnabled(true);
    }
}

} // namespace setup
