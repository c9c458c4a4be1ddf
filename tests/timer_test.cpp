#include "framework/timer.h"
#include "hang_guard.h"

#include <QTest>

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

// Counts the ticks in the int its context points at.
void CountTick(void* context, uint32_t message, uintptr_t, uint32_t)
{
    EXPECT_EQ(message, WM_TIMER);
    ++*static_cast<int*>(context);
}

struct SelfKilling {
    int ticks = 0;
    uint32_t id = 0;
};

void KillOwnTimer(void* context, uint32_t, uintptr_t id, uint32_t)
{
    auto* timer = static_cast<SelfKilling*>(context);
    ++timer->ticks;
    EXPECT_EQ(id, timer->id);
    EXPECT_TRUE(KillTimer(static_cast<uint32_t>(id)));
}

TEST(Timer, IdsAreNonzeroAndDistinct)
{
    int ticks = 0;
    std::set<uint32_t> ids;
    for (int i = 0; i < 5; ++i) {
        const uint32_t id = SetTimer(&ticks, 1000, &CountTick);
        EXPECT_NE(id, 0u);
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 5u);
    for (uint32_t id : ids) {
        EXPECT_TRUE(KillTimer(id));
        EXPECT_FALSE(KillTimer(id));
    }
}

TEST(Timer, TicksReachTheirContextUntilKilled)
{
    int ticks = 0;
    int otherTicks = 0;
    const uint32_t id = SetTimer(&ticks, 10, &CountTick);
    const uint32_t other = SetTimer(&otherTicks, 10, &CountTick);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 3 && otherTicks >= 3; }, kHangGuardMs));
    KillTimer(id);
    const int counted = ticks;
    const int otherCounted = otherTicks;
    // The other timer goes on ticking; the killed one stays silent meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([&] { return otherTicks >= otherCounted + 3; }, kHangGuardMs));
    EXPECT_EQ(ticks, counted);
    KillTimer(other);
}

TEST(Timer, ATickMayKillItsOwnTimer)
{
    SelfKilling timer;
    timer.id = SetTimer(&timer, 10, &KillOwnTimer);
    int otherTicks = 0;
    const uint32_t other = SetTimer(&otherTicks, 10, &CountTick);
    ASSERT_TRUE(QTest::qWaitFor([&timer] { return timer.ticks >= 1; }, kHangGuardMs));
    const int otherCounted = otherTicks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return otherTicks >= otherCounted + 3; }, kHangGuardMs));
    EXPECT_EQ(timer.ticks, 1);
    KillTimer(other);
}

TEST(Timer, NoTimerOffTheUserInterfaceThread)
{
    int ticks = 0;
    uint32_t id = 1;
    std::thread other([&] { id = SetTimer(&ticks, 10, &CountTick); });
    other.join();
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(SetTimer(&ticks, 10, nullptr), 0u);
}

}  // namespace
