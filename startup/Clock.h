// The clock of the start-up wait: the current date and time to the whole second.
#pragma once

#include <cstdint>

namespace vantrel {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since a fixed origin; only differences are used.
    virtual int64_t SecondsNow() = 0;
    // A short pause between two readings, so that the wait does not spin.
    virtual void Nap() = 0;
};

class SystemClock : public Clock {
public:
    int64_t SecondsNow() override;
    void Nap() override;
};

} // namespace vantrel
