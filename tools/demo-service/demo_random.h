#pragma once

#include <cstdint>

namespace miyoutong::demo {

// SplitMix64. Its output is fixed for a seed on every platform and compiler, which the standard
// distributions are not, so a seed gives the same population everywhere.
class DemoRandom {
public:
    explicit DemoRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A whole number from low to high, both included.
    int Between(int low, int high) {
        const auto span = static_cast<std::uint64_t>(high - low) + 1;
        return low + static_cast<int>(Next() % span);
    }

    // A number in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

    bool Chance(double probability) { return Unit() < probability; }

private:
    std::uint64_t state_;
};

}  // namespace miyoutong::demo
