// A timer on the window thread that records the longest gap between its
// ticks: how long the thread was kept from its events.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

class StallProbe {
public:
    StallProbe() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            worst_ = std::max(worst_, now - last_);
            last_ = now;
        });
        clock_.start();
        timer_.start(5);
    }
    // The longest gap so far, in milliseconds.
    qint64 WorstGap() const { return std::max(worst_, clock_.elapsed() - last_); }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 worst_ = 0;
};
