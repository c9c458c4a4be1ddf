#include "platform/timer.h"

#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace {

int g_ticks = 0;
uint32_t g_selfKillingId = 0;

void CountTick(void*, uint32_t message, uintptr_t, uint32_t)
{
    EXPECT_EQ(message, WM_TIMER);
    ++g_ticks;
}

void KillOwnTimer(void*, uint32_t, uintptr_t id, uint32_t)
{
    ++g_ticks;
    EXPECT_EQ(id, g_selfKillingId);
    EXPECT_TRUE(KillTimer(static_cast<uint32_t>(id)));
}

TEST(Timer, IdsAreNonzeroAndDistinct)
{
    std::set<uint32_t> ids;
    for (int i = 0; i < 5; ++i) {
        const uint32_t id = SetTimer(1000, &CountTick);
        EXPECT_NE(id, 0u);
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 5u);
    for (uint32_t id : ids) {
        EXPECT_TRUE(KillTimer(id));
        EXPECT_FALSE(KillTimer(id));
    }
}

TEST(Timer, TicksRepeatUntilKilled)
{
    g_ticks = 0;
    const uint32_t id = SetTimer(10, &CountTick);
    ASSERT_TRUE(QTest::qWaitFor([] { return g_ticks >= 3; }, 5000));
    KillTimer(id);
    const int ticks = g_ticks;
    QTest::qWait(60);
    EXPECT_EQ(g_ticks, ticks);
}

TEST(Timer, ATickMayKillItsOwnTimer)
{
    g_ticks = 0;
    g_selfKillingId = SetTimer(10, &KillOwnTimer);
    ASSERT_TRUE(QTest::qWaitFor([] { return g_ticks >= 1; }, 5000));
    QTest::qWait(60);
    EXPECT_EQ(g_ticks, 1);
}

TEST(Timer, NoTimerOffTheUserInterfaceThread)
{
    uint32_t id = 1;
    std::thread other([&id] { id = SetTimer(10, &CountTick); });
    other.join();
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(SetTimer(10, nullptr), 0u);
}

}  // namespace
