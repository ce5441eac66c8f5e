#include "testsupport/ToneAnalysis.h"

#include <cmath>
#include <numbers>

namespace audiotest {

double powerAt(std::span<const std::int16_t> samples, double hz, double rate)
{
    if (samples.empty())
        return 0.0;
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * hz / rate);
    double s1 = 0.0;
    double s2 = 0.0;
    for (std::int16_t sample : samples) {
        const double s0 = sample + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    const double n = static_cast<double>(samples.size());
    return power / (n * n);
}

double dominantFrequency(std::span<const std::int16_t> samples, double stepHz, double rate)
{
    double best = 0.0;
    double bestPower = -1.0;
    for (double hz = stepHz; hz < rate / 2; hz += stepHz) {
        const double power = powerAt(samples, hz, rate);
        if (power > bestPower) {
            bestPower = power;
            best = hz;
        }
    }
    return best;
}

double meanSquare(std::span<const std::int16_t> samples)
{
    if (samples.empty())
        return 0.0;
    double sum = 0.0;
    for (std::int16_t sample : samples)
        sum += static_cast<double>(sample) * sample;
    return sum / static_cast<double>(samples.size());
}

} // namespace audiotest
