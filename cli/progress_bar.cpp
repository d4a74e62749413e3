#include "cli/progress_bar.h"

#include <cmath>
#include <cstdio>

namespace velmora::spectra {

namespace {

constexpr auto kDelay = std::chrono::seconds(1);
constexpr auto kInterval = std::chrono::milliseconds(200);
constexpr int kWidth = 30;

}  // namespace

ProgressBar::ProgressBar(std::ostream& err, std::size_t total, bool enabled)
    : err_(err), total_(total) {
    if (!enabled || total == 0) return;
    thread_ = std::jthread([this](std::stop_token stop) {
        std::unique_lock lock(mutex_);
        while (!stop.stop_requested()) {
            wake_.wait_for(lock, stop, kInterval, [] { return false; });
            if (stop.stop_requested()) break;
            const auto elapsed = std::chrono::steady_clock::now() - start_;
            if (elapsed >= kDelay) draw(elapsed);
        }
    });
}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::finish() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    const std::lock_guard lock(mutex_);
    clear();
    finished_ = true;
}

void ProgressBar::print(const std::string& line) {
    const std::lock_guard lock(mutex_);
    const bool redraw = drawn_;
    clear();
    err_ << line << std::flush;
    if (redraw && !finished_) draw(std::chrono::steady_clock::now() - start_);
}

void ProgressBar::draw(std::chrono::steady_clock::duration elapsed) {
    const std::size_t done = std::min(done_.load(std::memory_order_relaxed), total_);
    const double fraction = static_cast<double>(done) / static_cast<double>(total_);
    const int filled = static_cast<int>(fraction * kWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    const double seconds = std::chrono::duration<double>(elapsed).count();
    char eta[32] = "";
    if (done > 0 && done < total_) {
        std::snprintf(eta, sizeof eta, "  ETA %.0f s", seconds * (1.0 / fraction - 1.0));
    }
    char text[160];
    std::snprintf(text, sizeof text, "\r[%s] %zu/%zu %3.0f %%%s\033[K", bar.c_str(), done, total_,
                  std::floor(fraction * 100.0), eta);
    err_ << text << std::flush;
    drawn_ = true;
}

void ProgressBar::clear() {
    if (drawn_) err_ << "\r\033[K" << std::flush;
    drawn_ = false;
}

}  // namespace velmora::spectra
