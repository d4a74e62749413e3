// A progress bar on standard error for batches that take a while.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace velmora::spectra {

// Draws "[#####.....]  512/1000  51 %  ETA 3 s" on one line of `err`, first
// after a second (short batches stay quiet) and only when `enabled` (a
// terminal). Counting is thread-safe; drawing happens on its own thread.
class ProgressBar {
  public:
    ProgressBar(std::ostream& err, std::size_t total, bool enabled);
    ~ProgressBar();  // stops and clears the line
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void advance() { done_.fetch_add(1, std::memory_order_relaxed); }
    // Prints `line` (which ends in a newline) above the bar.
    void print(const std::string& line);
    void finish();

  private:
    void draw(std::chrono::steady_clock::duration elapsed);
    void clear();

    std::ostream& err_;
    std::size_t total_;
    std::atomic<std::size_t> done_{0};
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::mutex mutex_;  // the stream, drawn_ and stop
    std::condition_variable_any wake_;
    bool drawn_ = false;
    bool finished_ = false;
    std::jthread thread_;  // last: started once everything above exists
};

}  // namespace velmora::spectra
