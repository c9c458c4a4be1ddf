// Stand-in for the framework's user-interface thread: a std::thread with its own message
// queue, created suspended behind a start gate, that runs InitInstance and then a message
// loop until a quit message arrives.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <thread>

inline constexpr uint32_t WM_USER = 0x0400;

class CWinThread {
public:
    CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    // Ends the thread if it is still there (EndThread). A derived class whose thread may
    // still be running calls EndThread in its own destructor, while it is still whole.
    virtual ~CWinThread();

    // Creates the thread suspended: it does not enter InitInstance before ResumeThread.
    // Returns false when the system cannot create another thread.
    bool CreateSuspended();
    void ResumeThread();
    // Queues a message for the thread's message loop; it waits there while InitInstance runs.
    void PostThreadMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Blocks until the thread has ended. Processes no messages of the calling thread.
    void Join();
    bool Joinable() const { return m_thread.joinable(); }
    // Posts a quit message, opens the start gate and joins: the thread ends after its
    // current work; one that never started skips its work.
    void EndThread();

protected:
    // Runs on the thread once it is resumed; returning true enters the message loop.
    virtual bool InitInstance() = 0;
    // The thread's message map: called on the thread for every message but the quit message.
    virtual void OnThreadMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // Called on the thread: the message loop ends after the current message.
    void PostQuitMessage(int exitCode);

private:
    struct Message {
        uint32_t id;
        uintptr_t wParam;
        intptr_t lParam;
    };
    static constexpr uint32_t kQuitMessage = 0x0012;

    void ThreadMain();
    int RunMessageLoop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Message> m_queue;
    bool m_bResumed = false;
    bool m_bQuitPosted = false;
    std::thread m_thread;
};

// Waits until every given thread has ended; any number of threads.
void WaitForAllThreads(std::span<CWinThread* const> threads);
