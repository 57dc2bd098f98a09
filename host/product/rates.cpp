#include "rates.h"

#include <cmath>

#include "host/runtime/values/messagevalues.h"

bool SupportedRate(double rate)
{
    return rate >= kLowestRate && std::floor(rate) <= kHighestRate;
}

std::string UnsupportedRateText(double rate)
{
    return "unsupported sample rate " + FormatNumber(rate) + " Hz; the tape delay runs at " +
           FormatNumber(kLowestRate) + " to " + FormatNumber(kHighestRate) + " Hz";
}
