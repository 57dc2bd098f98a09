#include "rates.h"

#include <cmath>

#include "host/runtime/values/messagevalues.h"

bool SupportedRate(double rate)
{
    return rate >= kLowestRate && std::floor(rate) <= kHighestRate;
}

std::string UnsupportedRateText(double rate, const std::string& reason)
{
    return "unsupported sample rate " + FormatNumber(rate) + " Hz (" + reason +
           "); the tape delay runs at " + FormatNumber(kLowestRate) + " to " +
           FormatNumber(kHighestRate) + " Hz";
}
