#include "platform/win_thread.h"

#include <system_error>

void CWinThread::EndThread()
{
    if (m_thread.joinable()) {
        PostThreadMessage(kQuitMessage, 0, 0);
        ResumeThread();
        m_thread.join();
    }
}

bool CWinThread::CreateSuspended()
{
    try {
        m_thread = std::thread(&CWinThread::ThreadMain, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CWinThread::ResumeThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_bResumed = true;
    }
    m_wake.notify_all();
}

void CWinThread::PostThreadMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({message, wParam, lParam});
    }
    m_wake.notify_all();
}

void CWinThread::PostQuitMessage(int)
{
    std::lock_guard lock(m_mutex);
    m_bQuitPosted = true;
}

void CWinThread::Join()
{
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CWinThread::ThreadMain()
{
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_bResumed; });
        // A thread that is ended before it ever started skips its work.
        if (!m_queue.empty() && m_queue.front().id == kQuitMessage) {
            return;
        }
    }
    if (InitInstance()) {
        RunMessageLoop();
    }
}

int CWinThread::RunMessageLoop()
{
    for (;;) {
        Message message;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return !m_queue.empty() || m_bQuitPosted; });
            if (m_bQuitPosted) {
                return 0;
            }
            message = m_queue.front();
            m_queue.pop_front();
        }
        if (message.id == kQuitMessage) {
            return 0;
        }
        OnThreadMessage(message.id, message.wParam, message.lParam);
    }
}

void WaitForAllThreads(std::span<CWinThread* const> threads)
{
    for (CWinThread* thread : threads) {
        thread->Join();
    }
}
