#pragma once
// The generator's random numbers: xoshiro256** seeded through splitmix64. Written out here
// rather than taken from <random>, whose distributions differ between standard libraries, so
// that one seed gives the same capture everywhere.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sibuild {

class CaptureRandom {
public:
    explicit CaptureRandom(uint64_t seed) {
        for (uint64_t& word : state) {
            seed += 0x9E3779B97F4A7C15ull;
            uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
    }

    uint64_t Next() {
        const uint64_t result = Rotl(state[1] * 5, 7) * 9;
        const uint64_t t = state[1] << 17;
        state[2] ^= state[0];
        state[3] ^= state[1];
        state[1] ^= state[2];
        state[0] ^= state[3];
        state[2] ^= t;
        state[3] = Rotl(state[3], 45);
        return result;
    }

    // 0 to n - 1 (n > 0); the bias of the plain multiply is far below anything a capture shows.
    uint32_t Below(uint32_t n) {
        return static_cast<uint32_t>(((Next() >> 32) * static_cast<uint64_t>(n)) >> 32);
    }
    // lo to hi, both included.
    int Between(int lo, int hi) {
        return lo + static_cast<int>(Below(static_cast<uint32_t>(hi - lo + 1)));
    }
    // True with probability percent / 100.
    bool Chance(uint32_t percent) { return Below(100) < percent; }

    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(static_cast<uint32_t>(items.size()))];
    }

private:
    static uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    uint64_t state[4];
};

}  // namespace sibuild
