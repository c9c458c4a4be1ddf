// Stand-in for the framework's user-interface thread: a std::thread with its own message
// queue, created suspended behind a start gate, that runs InitInstance and then a message
// loop until a quit message arrives. AfxBeginThread is the only way to start one.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <type_traits>

#ifndef WM_USER  // <windows.h> defines it as the same number
inline constexpr uint32_t WM_USER = 0x0400;
#endif
// <windows.h> makes this name a macro for its own function; in this program it names the
// stand-in's member, in every file, whatever was included before.
#undef PostThreadMessage

template <class T>
class CThreadObject;

class CWinThread {
public:
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    virtual ~CWinThread() = default;

    void ResumeThread();
    // Queues a message for the thread's message loop; it waits there while InitInstance runs.
    void PostThreadMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Blocks until the thread has ended. Processes no messages of the calling thread.
    void Join();
    bool Joinable() const { return m_thread.joinable(); }

protected:
    CWinThread() = default;

    // Runs on the thread once it is resumed; returning true enters the message loop.
    virtual bool InitInstance() = 0;
    // The thread's message map: called on the thread for every message but the quit message.
    virtual void OnThreadMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // Called on the owner's thread when the object is destroyed while its thread may still
    // run, just before the thread is ended: work in progress may stop early. Nothing by default.
    virtual void OnEndThread() {}
    // Called on the thread: the message loop ends after the current message.
    void PostQuitMessage(int exitCode);

private:
    template <class T>
    friend class CThreadObject;

    struct Message {
        uint32_t id;
        uintptr_t wParam;
        intptr_t lParam;
    };
    static constexpr uint32_t kQuitMessage = 0x0012;

    // Creates the thread suspended: it does not enter InitInstance before ResumeThread.
    // Returns false when the system cannot create another thread.
    bool CreateSuspended();
    // Posts a quit message, opens the start gate and joins: the thread ends after its current
    // work; one that never started skips its work.
    void EndThread();
    void ThreadMain();
    int RunMessageLoop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Message> m_queue;
    bool m_bResumed = false;
    bool m_bQuitPosted = false;
    std::thread m_thread;
};

// What AfxBeginThread creates: a T whose own destructor runs first and ends the thread, so the
// thread never outlives any part of the object it runs, whatever T and its bases do.
template <class T>
class CThreadObject final : public T {
public:
    static_assert(std::is_base_of_v<CWinThread, T>);

    ~CThreadObject() override
    {
        CWinThread& thread = *this;
        thread.OnEndThread();
        thread.EndThread();
    }

    // A new T with its thread created suspended; null when no thread can be created.
    static std::unique_ptr<T> Create()
    {
        auto object = std::make_unique<CThreadObject>();
        if (!object->CreateSuspended()) {
            return nullptr;
        }
        return object;
    }
};

// Creates a T and its thread, suspended until ResumeThread; null when no thread can be made.
template <class T>
std::unique_ptr<T> AfxBeginThread()
{
    return CThreadObject<T>::Create();
}

// Waits until every given thread has ended; any number of threads.
void WaitForAllThreads(std::span<CWinThread* const> threads);
