#include "BackgroundTask.h"

#include <QThreadPool>

#include <condition_variable>
#include <mutex>

struct BackgroundTask::State
{
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
};

namespace {
QThreadPool *pool()
{
    // Never deleted: its threads are left to the end of the program.
    static QThreadPool *const threads = [] {
        auto *p = new QThreadPool;
        p->setExpiryTimeout(-1);
        p->setMaxThreadCount(64);
        return p;
    }();
    return threads;
}
} // namespace

void BackgroundTask::start(std::function<void()> work)
{
    join();
    auto state = std::make_shared<State>();
    m_state = state;
    pool()->start([state, work = std::move(work)] {
        work();
        std::lock_guard lock(state->mutex);
        state->done = true;
        state->ended.notify_all();
    });
}

void BackgroundTask::join()
{
    if (!m_state)
        return;
    std::unique_lock lock(m_state->mutex);
    m_state->ended.wait(lock, [this] { return m_state->done; });
    lock.unlock();
    m_state.reset();
}
