#include "peakmeter.h"

#include <algorithm>
#include <cmath>

void PeakMeter::update(float peak, double now)
{
    const double elapsed = started ? std::max(0.0, now - last) : 0.0;
    started = true;
    last = now;
    const double p = static_cast<double>(peak);
    const double db =
        std::isfinite(p) && p > 0.0 ? std::clamp(20.0 * std::log10(p), kFloorDb, 0.0) : kFloorDb;
    const double fall = kFallDbPerSecond * elapsed;
    level = std::max(db, std::max(kFloorDb, level - fall));
    if (db >= hold) {
        hold = db;
        holdUntil = now + kHoldSeconds;
    } else if (now > holdUntil) {
        // Falls from when the hold ended, never below the bar.
        const double falling = std::min(elapsed, now - holdUntil);
        hold = std::max(level, hold - kFallDbPerSecond * falling);
    }
}

double PeakMeter::fraction(double db)
{
    return std::clamp((db - kFloorDb) / -kFloorDb, 0.0, 1.0);
}
