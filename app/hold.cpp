#include "app/hold.h"

#include <thread>

void SleepingHold::hold(std::chrono::milliseconds duration)
{
    // The deadline comes from one reading of the clock; sleep_until never wakes early.
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + duration);
}
