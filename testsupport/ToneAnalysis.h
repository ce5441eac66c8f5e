#pragma once
// Looks at sound the way a listener would: which frequency dominates, how loud it is. For
// tests that send a known tone through a path and check what comes out.

#include <cstdint>
#include <span>

namespace audiotest {

// Power of one frequency in the samples (Goertzel), normalised so that a full-length sine of
// amplitude A gives about A*A/4.
double powerAt(std::span<const std::int16_t> samples, double hz, double rate = 8000.0);

// The frequency of the strongest of the candidates from stepHz up to below rate/2, stepHz
// apart.
double dominantFrequency(std::span<const std::int16_t> samples, double stepHz = 50.0,
                         double rate = 8000.0);

// Mean square of the samples: the signal's energy per sample.
double meanSquare(std::span<const std::int16_t> samples);

} // namespace audiotest
