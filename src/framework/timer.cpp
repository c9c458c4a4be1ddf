#include "framework/timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace {

// Owns the timers; a child of the application object, so it dies with it.
class TimerRegistry : public QObject {
public:
    explicit TimerRegistry(QObject* parent) : QObject(parent) { m_clock.start(); }

    uint32_t Add(void* context, uint32_t elapseMs, TimerProc proc)
    {
        const uint32_t id = NextFreeId();
        auto* timer = new QTimer(this);
        timer->setInterval(static_cast<int>(elapseMs));
        QObject::connect(timer, &QTimer::timeout, this, [this, context, id, proc] {
            proc(context, WM_TIMER, id, static_cast<uint32_t>(m_clock.elapsed()));
        });
        m_timers.insert(id, timer);
        timer->start();
        return id;
    }

    bool Remove(uint32_t id)
    {
        QTimer* timer = m_timers.take(id);
        if (timer == nullptr) {
            return false;
        }
        timer->stop();
        timer->deleteLater();
        return true;
    }

private:
    uint32_t NextFreeId()
    {
        do {
            ++m_lastId;
        } while (m_lastId == 0 || m_timers.contains(m_lastId));
        return m_lastId;
    }

    QHash<uint32_t, QTimer*> m_timers;
    uint32_t m_lastId = 0;
    QElapsedTimer m_clock;
};

QPointer<TimerRegistry> g_registry;

TimerRegistry* Registry()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        return nullptr;
    }
    if (g_registry.isNull()) {
        g_registry = new TimerRegistry(app);
    }
    return g_registry.data();
}

}  // namespace

uint32_t SetTimer(void* context, uint32_t elapseMs, TimerProc proc)
{
    TimerRegistry* registry = Registry();
    return registry != nullptr && proc != nullptr ? registry->Add(context, elapseMs, proc) : 0;
}

bool KillTimer(uint32_t id)
{
    TimerRegistry* registry = Registry();
    return registry != nullptr && registry->Remove(id);
}
