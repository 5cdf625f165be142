#pragma once
// The pause after a connection has closed: the status line stays on its text and the
// window takes no input meanwhile. Behind an interface so that tests need not wait.

#include <chrono>

class Hold {
public:
    virtual ~Hold() = default;
    // Blocks the calling thread for at least the duration, dispatching no events.
    virtual void hold(std::chrono::milliseconds duration) = 0;
};

// Sleeps the thread: no event is dispatched and no processor time is spent.
class SleepingHold : public Hold {
public:
    void hold(std::chrono::milliseconds duration) override;
};
