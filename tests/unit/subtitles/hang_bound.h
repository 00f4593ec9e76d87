#pragma once

// Work that could hang when a fault makes it quadratic or endless, run on a
// thread of its own so that a hang fails the test instead of stalling it.

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace tavimo::testing_support {

// What `work` returns, or nothing when it takes longer than `bound` (a hang
// bound far above what the work takes; the thread is then left behind).
template <typename T>
std::optional<T> Within(std::chrono::seconds bound, std::function<T()> work) {
    auto task = std::make_shared<std::packaged_task<T()>>(std::move(work));
    std::future<T> result = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (result.wait_for(bound) != std::future_status::ready)
        return std::nullopt;
    return result.get();
}

}  // namespace tavimo::testing_support
