#include "bench/support/ui_gap_monitor.h"

#include "bench/support/child_process.h"

namespace miyoutong::bench {

namespace {

constexpr int kIntervalMs = 1;
constexpr double kNotedGapMs = 16;

}  // namespace

UiGapMonitor::UiGapMonitor() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &UiGapMonitor::Tick);
}

void UiGapMonitor::Start() {
    start_ = last_ = MonotonicNanoseconds();
    timer_.start();
}

void UiGapMonitor::Stop() {
    if (timer_.isActive()) {
        Tick();
        timer_.stop();
    }
}

int UiGapMonitor::GapsOver(double ms) const {
    int count = 0;
    for (const double gap : gapsMs_) {
        count += gap > ms ? 1 : 0;
    }
    return count;
}

void UiGapMonitor::Tick() {
    const long long now = MonotonicNanoseconds();
    const double gapMs = static_cast<double>(now - last_) / 1e6 - kIntervalMs;
    last_ = now;
    if (gapMs > maxGapMs_) {
        maxGapMs_ = gapMs;
        maxGapEndMs_ = static_cast<double>(now - start_) / 1e6;
    }
    if (gapMs > kNotedGapMs) {
        gapsMs_.push_back(gapMs);
    }
}

}  // namespace miyoutong::bench
