#include "lock_patience.h"

#include <chrono>
#include <thread>

namespace {

constexpr std::chrono::milliseconds kPatience{400};
constexpr std::chrono::milliseconds kPoll{5};

} // namespace

bool patiently(const std::function<Attempt()> &attempt) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (attempt() == Attempt::Held) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}
