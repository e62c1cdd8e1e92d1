#pragma once
// Stages pictures on worker threads and hands the results back in list order.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace pw::job {

template <typename Result> class StagingPool {
public:
    using Work = std::function<Result(int index)>;

    // Runs work(0..count-1) on `workers` threads. A worker starts picture i only while i is less
    // than `lookahead` ahead of the picture being taken, so only a few pictures are decoded (and
    // staged but not yet taken) at any time.
    StagingPool(int count, int workers, int lookahead, Work work)
        : count_(count), lookahead_(std::max(1, lookahead)), work_(std::move(work)),
          results_(static_cast<std::size_t>(std::max(0, count))),
          ready_(static_cast<std::size_t>(std::max(0, count)), 0) {
        const int threads = std::clamp(workers, 1, std::max(1, count));
        threads_.reserve(static_cast<std::size_t>(threads));
        for (int i = 0; i < threads; ++i)
            threads_.emplace_back([this] { run(); });
    }

    // Lets the pictures being staged finish, starts no more, and joins the workers.
    ~StagingPool() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }
    StagingPool(const StagingPool&) = delete;
    StagingPool& operator=(const StagingPool&) = delete;

    // The result of picture `index` (taken in order 0, 1, 2...), calling idle() every few
    // milliseconds while it is not ready.
    Result take(int index, const std::function<void()>& idle) {
        std::unique_lock<std::mutex> lock(mutex_);
        const auto at = static_cast<std::size_t>(index);
        while (!ready_[at]) {
            changed_.wait_for(lock, kIdleInterval, [&] { return ready_[at] != 0; });
            if (!ready_[at] && idle) {
                lock.unlock();
                idle();
                lock.lock();
            }
        }
        taken_ = std::max(taken_, index + 1);
        changed_.notify_all();
        return std::move(results_[at]);
    }

    // Workers for this machine: one per core, at least one.
    static int defaultWorkers() {
        return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }

private:
    static constexpr std::chrono::milliseconds kIdleInterval{10};

    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] {
                return stopping_ || next_ >= count_ || next_ < taken_ + lookahead_;
            });
            if (stopping_ || next_ >= count_)
                return;
            const int index = next_++;
            lock.unlock();
            Result result{};
            try {
                result = work_(index);
            } catch (const std::bad_alloc&) {
                // A picture too large for the memory left is missing, not the end of the program.
            }
            lock.lock();
            results_[static_cast<std::size_t>(index)] = std::move(result);
            ready_[static_cast<std::size_t>(index)] = 1;
            changed_.notify_all();
        }
    }

    const int count_;
    const int lookahead_;
    Work work_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int next_ = 0;  // next picture a worker starts
    int taken_ = 0; // pictures handed out so far
    bool stopping_ = false;
    std::vector<Result> results_;
    std::vector<char> ready_;
    std::vector<std::thread> threads_;
};

} // namespace pw::job
