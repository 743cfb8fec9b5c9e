#pragma once
// The time a replayed capture tells: the UTC_time of the latest TDT/TOT that the capture
// source has handed downstream. The source sets it on its streaming thread between deliveries;
// the clock function of the parsers reads it on the same thread (and anyone may read it).

#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>

class CaptureTime {
public:
    void Set(int64_t utcSeconds) { value.store(utcSeconds, std::memory_order_relaxed); }
    // No time known (a capture without TDT/TOT, or none replayed yet).
    void Clear() { value.store(kNone, std::memory_order_relaxed); }
    std::optional<int64_t> Get() const {
        const int64_t v = value.load(std::memory_order_relaxed);
        return v == kNone ? std::nullopt : std::optional<int64_t>(v);
    }

private:
    static constexpr int64_t kNone = std::numeric_limits<int64_t>::min();
    std::atomic<int64_t> value{kNone};
};
