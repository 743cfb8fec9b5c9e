#pragma once
// A count that the streaming thread raises and a progress display reads from another thread.

#include <atomic>
#include <cstdint>

class ProgressCounter {
public:
    ProgressCounter() = default;
    // Copies take the value, so that the state holding counters stays copyable.
    ProgressCounter(const ProgressCounter& other) : value(other.Read()) {}
    ProgressCounter& operator=(const ProgressCounter& other) {
        value.store(other.Read(), std::memory_order_relaxed);
        return *this;
    }

    void Add() { value.fetch_add(1, std::memory_order_relaxed); }
    uint32_t Read() const { return value.load(std::memory_order_relaxed); }

private:
    std::atomic<uint32_t> value{0};
};
