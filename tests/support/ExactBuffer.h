#pragma once
// A heap copy of exactly the given bytes, nothing after them, so that AddressSanitizer
// reports any read past their end.

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

class ExactBuffer {
public:
    explicit ExactBuffer(std::span<const uint8_t> bytes)
        : bytes(new uint8_t[bytes.size()]), count(bytes.size()) {
        if (count > 0)
            std::memcpy(this->bytes.get(), bytes.data(), count);
    }
    // The first n bytes only.
    ExactBuffer(std::span<const uint8_t> bytes, size_t n) : ExactBuffer(bytes.first(n)) {}

    const uint8_t* data() const { return bytes.get(); }
    int32_t size() const { return static_cast<int32_t>(count); }

private:
    std::unique_ptr<uint8_t[]> bytes;
    size_t count;
};
