#include "startup/Clock.h"

#include <chrono>
#include <thread>

namespace vantrel {

int64_t SystemClock::SecondsNow() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

void SystemClock::Nap() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace vantrel
