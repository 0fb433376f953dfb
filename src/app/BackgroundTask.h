#pragma once

#include <functional>
#include <memory>

// One function run on another thread, like a std::thread that is joined. The
// threads come from a pool that lives as long as the program: a thread that
// ends runs the destructors of its thread_local variables (Qt's own among
// them), and with the Windows compiler's runtime these run after their storage
// was freed and crash the program. The pool's threads never end before it does.
class BackgroundTask
{
public:
    BackgroundTask() = default;
    ~BackgroundTask() { join(); }
    BackgroundTask(const BackgroundTask &) = delete;
    BackgroundTask &operator=(const BackgroundTask &) = delete;

    void start(std::function<void()> work);
    bool joinable() const { return m_state != nullptr; }
    // Waits until the function has returned.
    void join();

private:
    struct State;
    std::shared_ptr<State> m_state;
};
