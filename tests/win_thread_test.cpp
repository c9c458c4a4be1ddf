#include "platform/win_thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<bool> g_sawDestroyedMember{false};

// A thread whose work reads a member of the subclass until it is told to stop, and whose
// destructor does not end the thread itself.
class CPollingThread : public CWinThread {
public:
    ~CPollingThread() override { m_alive.store(false); }

    std::atomic<bool> m_started{false};

protected:
    bool InitInstance() override
    {
        m_started.store(true);
        while (!m_stop.load()) {
            if (!m_alive.load()) {
                g_sawDestroyedMember.store(true);
                break;
            }
        }
        return true;
    }
    void OnThreadMessage(uint32_t, uintptr_t, intptr_t) override {}
    void OnEndThread() override { m_stop.store(true); }

private:
    std::atomic<bool> m_alive{true};
    std::atomic<bool> m_stop{false};
};

TEST(CWinThread, TheThreadEndsBeforeAnyPartOfItsObjectIsDestroyed)
{
    std::unique_ptr<CPollingThread> thread = AfxBeginThread<CPollingThread>();
    ASSERT_NE(thread, nullptr);
    thread->ResumeThread();
    while (!thread->m_started.load()) {
    }
    thread.reset();
    // Had the thread outlived the subclass's destructor, it would have seen the member cleared
    // (or run on in freed memory, which the sanitizers report).
    EXPECT_FALSE(g_sawDestroyedMember.load());
}

}  // namespace
