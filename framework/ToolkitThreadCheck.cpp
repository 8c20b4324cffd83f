#include "framework/ToolkitThreadCheck.h"

#include <QThreadPool>
#include <algorithm>
#include <condition_variable>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace fw {

std::string ToolkitThreadsMissing() {
    const int wanted = QThreadPool::globalInstance()->maxThreadCount();
    // Held together, as the pool holds them while it paints.
    std::mutex mutex;
    std::condition_variable released;
    bool done = false;
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(std::max(wanted, 0)));
    std::string missing;
    for (int i = 0; i < wanted && missing.empty(); ++i) {
        int error = 0;
        try {
            threads.emplace_back([&] {
                std::unique_lock<std::mutex> lock(mutex);
                released.wait(lock, [&] { return done; });
            });
        } catch (const std::system_error& e) {
            error = e.code().value();
        } catch (...) {  // no memory for the thread's own record: the threads started still end below
            error = ENOMEM;
        }
        if (error != 0)
            missing = "the toolkit needs " + std::to_string(wanted) + " threads, and only " + std::to_string(i) +
                      " could be started: " + std::strerror(error);
    }
    {
        const std::lock_guard<std::mutex> lock(mutex);
        done = true;
    }
    released.notify_all();
    for (std::thread& thread : threads) thread.join();
    return missing;
}

}  // namespace fw
