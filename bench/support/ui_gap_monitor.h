#pragma once

// How long the UI thread goes without handling events: a timer asks to run every millisecond,
// and the longest wait between two of its runs, less that millisecond, is the longest stretch
// in which a click or a repaint would have waited too. Create and use on the UI thread.

#include <QObject>
#include <QTimer>
#include <vector>

namespace miyoutong::bench {

class UiGapMonitor : public QObject {
public:
    UiGapMonitor();

    void Start();
    void Stop();

    double MaxGapMs() const { return maxGapMs_; }
    // When the longest wait ended, in ms from Start().
    double MaxGapEndMs() const { return maxGapEndMs_; }
    // Number of waits longer than `ms`.
    int GapsOver(double ms) const;

private:
    void Tick();

    QTimer timer_;
    long long start_ = 0;
    long long last_ = 0;
    double maxGapMs_ = 0;
    double maxGapEndMs_ = 0;
    std::vector<double> gapsMs_;  // every wait over 16 ms
};

}  // namespace miyoutong::bench
