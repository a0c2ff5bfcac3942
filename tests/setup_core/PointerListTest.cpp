#include "PointerList.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using setup::TKestPointerList;
using setup::TManualListTimer;

namespace {

constexpr double kSecond = 1.0 / 86400.0;

// A list whose timer fires on demand and whose clock the test sets.
struct DrivenList {
    double now = 45000.0;
    TManualListTimer* timer = nullptr;
    std::vector<void*> deleted; // outlives the list, which reports to it when destroyed
    std::unique_ptr<TKestPointerList> list;

    DrivenList() {
        auto owned = std::make_unique<TManualListTimer>();
        timer = owned.get();
        list = std::make_unique<TKestPointerList>(std::move(owned), [this] { return now; });
        list->OnDelete = [this](TKestPointerList& sender, void* item) {
            EXPECT_EQ(&sender, list.get());
            deleted.push_back(item);
        };
    }
    void AddAged(void* item, double secondsAgo, double at) {
        const double saved = now;
        now = at - secondsAgo * kSecond;
        list->Add(item);
        now = saved;
    }
};

int items[6];

} // namespace

TEST(PointerList, WalksWithTheCursor) {
    TKestPointerList list;
    list.SetSweepInterval(0);
    EXPECT_EQ(list.Current(), nullptr);
    list.First();
    EXPECT_EQ(list.Current(), nullptr);
    EXPECT_FALSE(list.Next());
    for (int& item : items)
        list.Add(&item);
    EXPECT_EQ(list.Count(), 6);
    EXPECT_EQ(list.Current(), &items[0]); // the first Add places the cursor
    std::vector<void*> seen{list.Current()};
    while (list.Next())
        seen.push_back(list.Current());
    ASSERT_EQ(seen.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(seen[static_cast<std::size_t>(i)], &items[i]);
    EXPECT_FALSE(list.Next());
    EXPECT_EQ(list.Current(), &items[5]);
    list.First();
    EXPECT_EQ(list.Current(), &items[0]);
}

TEST(PointerList, ItemsCountsFromOne) {
    TKestPointerList list;
    for (int& item : items)
        list.Add(&item);
    EXPECT_EQ(list.Items(0), nullptr);
    EXPECT_EQ(list.Items(-3), nullptr);
    EXPECT_EQ(list.Items(1), &items[0]);
    EXPECT_EQ(list.Items(6), &items[5]);
    EXPECT_EQ(list.Items(7), nullptr);
}

TEST(PointerList, ClearReportsSecondToLastThenFirst) {
    DrivenList d;
    for (int& item : items)
        d.list->Add(&item);
    d.list->Clear();
    const std::vector<void*> expected{&items[1], &items[2], &items[3],
                                      &items[4], &items[5], &items[0]};
    EXPECT_EQ(d.deleted, expected);
    EXPECT_EQ(d.list->Count(), 0);
    EXPECT_EQ(d.list->Current(), nullptr);
    EXPECT_EQ(d.list->Items(1), nullptr);
    d.list->Add(&items[2]); // usable again
    EXPECT_EQ(d.list->Current(), &items[2]);
    EXPECT_EQ(d.list->Count(), 1);
}

TEST(PointerList, ClearOnEmptyListReportsNothing) {
    DrivenList d;
    d.list->Clear();
    EXPECT_TRUE(d.deleted.empty());
    EXPECT_EQ(d.list->Count(), 0);
}

TEST(PointerList, DestroyClearsAndStopsTheTimer) {
    std::vector<void*> deleted;
    auto owned = std::make_unique<TManualListTimer>();
    {
        TKestPointerList list(std::move(owned));
        list.OnDelete = [&](TKestPointerList&, void* item) { deleted.push_back(item); };
        list.Add(&items[0]);
        list.Add(&items[1]);
    }
    EXPECT_EQ(deleted, (std::vector<void*>{&items[1], &items[0]}));
}

TEST(PointerList, CreateArmsOneSweepAfterOneSecond) {
    DrivenList d;
    EXPECT_TRUE(d.timer->Enabled());
    EXPECT_EQ(d.timer->Interval(), 1000);
    EXPECT_TRUE(d.timer->Fire());
    EXPECT_FALSE(d.timer->Enabled()); // no interval: the first sweep is the last
    EXPECT_FALSE(d.timer->Fire());
}

TEST(PointerList, SweepIntervalZeroRightAfterCreateStopsEverySweep) {
    DrivenList d;
    d.list->SetMaxAge(1);
    d.AddAged(&items[0], 100, d.now);
    d.list->SetSweepInterval(0);
    EXPECT_FALSE(d.timer->Enabled());
    EXPECT_FALSE(d.timer->Fire());
    EXPECT_EQ(d.list->Count(), 1);
    EXPECT_TRUE(d.deleted.empty());
}

TEST(PointerList, PositiveIntervalRearmsTheTimer) {
    DrivenList d;
    d.list->SetSweepInterval(0);
    d.list->SetSweepInterval(30);
    EXPECT_TRUE(d.timer->Enabled());
    EXPECT_EQ(d.timer->Interval(), 1000); // unchanged until the next sweep
    EXPECT_TRUE(d.timer->Fire());
    EXPECT_TRUE(d.timer->Enabled());
    EXPECT_EQ(d.timer->Interval(), 30000);
}

TEST(PointerList, SweepDropsExactlyTheEntriesOlderThanMaxAge) {
    DrivenList d;
    d.list->SetMaxAge(60);
    // Ages in seconds, oldest first as Add order makes them.
    const double ages[6] = {500, 61, 60, 59, 10, 0};
    for (int i = 0; i < 6; ++i)
        d.AddAged(&items[i], ages[i], d.now);
    d.list->Sweep();
    EXPECT_EQ(d.deleted, (std::vector<void*>{&items[0], &items[1]}));
    EXPECT_EQ(d.list->Count(), 4);
    EXPECT_EQ(d.list->Items(1), &items[2]); // exactly MaxAge old stays
    EXPECT_EQ(d.list->Items(4), &items[5]);
}

TEST(PointerList, SweepCanEmptyTheListAndTheListStaysUsable) {
    DrivenList d;
    d.list->SetMaxAge(5);
    for (int i = 0; i < 3; ++i)
        d.AddAged(&items[i], 100, d.now);
    d.list->Sweep();
    EXPECT_EQ(d.list->Count(), 0);
    EXPECT_EQ(d.list->Current(), nullptr);
    EXPECT_EQ(d.deleted.size(), 3u);
    d.list->Add(&items[4]);
    EXPECT_EQ(d.list->Items(1), &items[4]);
    EXPECT_EQ(d.list->Current(), &items[4]);
}

TEST(PointerList, SweepRemovesExpiredEntriesInTheMiddleAndKeepsTheTail) {
    // Clock adjustments can leave older times behind newer ones; the walk still finds them.
    DrivenList d;
    d.list->SetMaxAge(60);
    const double ages[5] = {1, 100, 2, 100, 100};
    for (int i = 0; i < 5; ++i)
        d.AddAged(&items[i], ages[i], d.now);
    d.list->Sweep();
    EXPECT_EQ(d.deleted, (std::vector<void*>{&items[1], &items[3], &items[4]}));
    EXPECT_EQ(d.list->Count(), 2);
    d.list->Add(&items[5]); // appends after the new tail
    EXPECT_EQ(d.list->Items(3), &items[5]);
}

TEST(PointerList, CursorOnARemovedNodeMovesToTheNextSurvivor) {
    DrivenList d;
    d.list->SetMaxAge(60);
    const double ages[4] = {1, 100, 100, 1};
    for (int i = 0; i < 4; ++i)
        d.AddAged(&items[i], ages[i], d.now);
    d.list->First();
    d.list->Next(); // on items[1]
    d.list->Sweep();
    EXPECT_EQ(d.list->Current(), &items[3]);
    EXPECT_FALSE(d.list->Next());
}

TEST(PointerList, CursorOnARemovedLastNodeEndsTheWalk) {
    DrivenList d;
    d.list->SetMaxAge(60);
    d.AddAged(&items[0], 1, d.now);
    d.AddAged(&items[1], 100, d.now);
    d.list->First();
    d.list->Next();
    d.list->Sweep();
    EXPECT_EQ(d.list->Current(), nullptr);
    EXPECT_FALSE(d.list->Next());
    d.list->First();
    EXPECT_EQ(d.list->Current(), &items[0]);
}

TEST(PointerList, MaxAgeZeroNeverExpires) {
    DrivenList d;
    d.AddAged(&items[0], 1e7, d.now);
    d.list->Sweep();
    EXPECT_EQ(d.list->Count(), 1);
    EXPECT_TRUE(d.deleted.empty());
}
