// A peak meter's ballistics, drawn by the panel rather than computed by the
// plug-in: the bar jumps to a new peak and falls back at a steady rate in
// dB; a hold mark stays at the highest recent peak for a moment, then falls
// the same way.
#pragma once

class PeakMeter {
public:
    static constexpr double kFloorDb = -60.0;
    static constexpr double kFallDbPerSecond = 24.0;
    static constexpr double kHoldSeconds = 1.0;

    // The peak since the last update (linear; 0 dB at 1, more is shown as
    // 0 dB; anything else not a finite positive number counts as silence)
    // at now, seconds on any steady clock.
    void update(float peak, double now);

    // The bar and the hold mark, kFloorDb to 0 dB.
    double levelDb() const { return level; }
    double holdDb() const { return hold; }
    // The bar's length for a level: 0 at kFloorDb to 1 at 0 dB.
    static double fraction(double db);

private:
    double level = kFloorDb;
    double hold = kFloorDb;
    double holdUntil = 0.0;
    double last = 0.0;
    bool started = false;
};
