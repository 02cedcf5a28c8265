#pragma once

namespace platform {

// A pseudo-random generator that the program seeds from the time of day.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seedFromTimeOfDay() = 0;
    virtual double next() = 0; // uniformly in [0, 1)
};

} // namespace platform
