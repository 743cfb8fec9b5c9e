#include "platform/ts/PacketFramer.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

struct PacketFormat {
    size_t step;   // bytes from one sync byte to the next
    size_t phase;  // where the first sync byte lies when the stream starts with a whole unit
};
// In order of preference where two would fit the same bytes.
constexpr PacketFormat kFormats[] = {{188, 0}, {204, 0}, {192, 4}};
constexpr size_t kLargestStep = 204;

// Enough to see three sync bytes of every format from the start of the stream.
constexpr size_t kDetectBytes = 2 * kLargestStep + 1;
// The carry never grows beyond this; framing always makes progress on this many bytes.
constexpr size_t kCarryLimit = 4096;
constexpr size_t kBatchPackets = 64;

enum class Fit { No, Yes, Wait };

// Whether sync can be regained at `pos` with `step`: 0x47 at three successive steps and three
// whole packets. Wait: the bytes seen so far allow it, the stream has to show the rest.
Fit FitsSync(const uint8_t* data, size_t size, size_t pos, size_t step, bool end) {
    for (size_t i = 1; i < 3; ++i) {
        const size_t at = pos + i * step;
        if (at < size && data[at] != PacketFramer::kSyncByte)
            return Fit::No;
    }
    if (size - pos < 2 * step + PacketFramer::kPacketSize)
        return end ? Fit::No : Fit::Wait;
    return Fit::Yes;
}

}  // namespace

PacketFramer::PacketFramer(PacketHandler onPackets) : onPackets(std::move(onPackets)) {
    carry.reserve(kCarryLimit);
    batch.reserve(kBatchPackets * kPacketSize);
}

void PacketFramer::Push(const uint8_t* data, size_t size) {
    // Undecided bytes from the last chunk: frame them together with the start of this one
    // until they are used up, then frame the chunk in place.
    while (!carry.empty() && size > 0) {
        const size_t carried = carry.size();
        const size_t take = std::min(size, kCarryLimit - carried);
        carry.insert(carry.end(), data, data + take);
        base = pushed - carried;
        const size_t used = Process(carry.data(), carry.size(), false);
        const size_t advance = used >= carried ? used - carried : take;
        if (used >= carried)
            carry.clear();
        else
            carry.erase(carry.begin(), carry.begin() + static_cast<std::ptrdiff_t>(used));
        data += advance;
        size -= advance;
        pushed += advance;
    }
    if (size == 0)
        return;
    base = pushed;
    const size_t used = Process(data, size, false);
    carry.assign(data + used, data + size);
    pushed += size;
}

void PacketFramer::End() {
    if (!carry.empty()) {
        base = pushed - carry.size();
        Process(carry.data(), carry.size(), true);
    }
    carry.clear();
    pushed = 0;
    decidedAt = 0;
    state = State::Detect;
    step = 0;
    stepConfirmed = false;
    skip = 0;
}

size_t PacketFramer::Process(const uint8_t* data, size_t size, bool end) {
    limit = base + size;
    size_t pos = std::min(skip, size);
    skip -= pos;
    if (skip > 0)
        return pos;
    for (;;) {
        switch (state) {
            case State::Detect:
                if (size - pos < kDetectBytes && !end)
                    return pos;
                decidedAt = base + pos + kDetectBytes;
                pos += Detect(data + pos, size - pos);
                break;
            case State::InSync:
                pos = FollowSync(data, size, pos, end);
                if (state == State::InSync)
                    return pos;
                break;
            case State::Search:
                pos = FindSync(data, size, pos, end);
                if (state == State::Search)
                    return pos;
                break;
        }
    }
}

size_t PacketFramer::Detect(const uint8_t* data, size_t size) {
    // The format whose sync bytes line up longest from the start of the stream; one sync byte
    // in its place is enough to start in sync.
    const PacketFormat* best = nullptr;
    size_t bestRun = 0;
    for (const PacketFormat& format : kFormats) {
        size_t run = 0;
        while (run < 3 && format.phase + run * format.step < size &&
               data[format.phase + run * format.step] == kSyncByte) {
            ++run;
        }
        if (run > bestRun) {
            best = &format;
            bestRun = run;
        }
    }
    if (best == nullptr) {
        state = State::Search;
        return 0;
    }
    step = best->step;
    stepConfirmed = bestRun == 3;
    state = State::InSync;
    return best->phase;
}

size_t PacketFramer::FollowSync(const uint8_t* data, size_t size, size_t pos, bool end) {
    if (step == kPacketSize) {
        const size_t first = pos;
        while (size - pos >= kPacketSize && data[pos] == kSyncByte)
            pos += kPacketSize;
        if (pos > first)
            Deliver(data + first, (pos - first) / kPacketSize, base + first);
    } else {
        while (size - pos >= kPacketSize && data[pos] == kSyncByte) {
            if (batch.empty())
                batchOffset = base + pos;
            batch.insert(batch.end(), data + pos, data + pos + kPacketSize);
            if (batch.size() == kBatchPackets * kPacketSize)
                FlushBatch();
            if (size - pos >= step) {
                pos += step;
            } else {
                skip = step - (size - pos);  // the trailer comes with the next bytes
                pos = size;
            }
        }
        FlushBatch();
    }
    if (pos < size && data[pos] != kSyncByte) {
        state = State::Search;
        return pos + 1;
    }
    return end ? size : pos;
}

size_t PacketFramer::FindSync(const uint8_t* data, size_t size, size_t pos, bool end) {
    while (pos < size) {
        const void* hit = std::memchr(data + pos, kSyncByte, size - pos);
        if (hit == nullptr)
            return size;
        pos = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data);
        for (const PacketFormat& format : kFormats) {
            if (stepConfirmed && format.step != step)
                continue;
            switch (FitsSync(data, size, pos, format.step, end)) {
                case Fit::Yes:
                    decidedAt = base + pos + 2 * format.step + kPacketSize;
                    step = format.step;
                    stepConfirmed = true;
                    state = State::InSync;
                    return pos;
                case Fit::Wait:
                    return pos;
                case Fit::No:
                    break;
            }
        }
        ++pos;
    }
    return size;
}

void PacketFramer::Deliver(const uint8_t* packets, size_t count, uint64_t offset) {
    if (count == 0)
        return;
    deliveredOffset = offset;
    onPackets(packets, count);
}

void PacketFramer::FlushBatch() {
    Deliver(batch.data(), batch.size() / kPacketSize, batchOffset);
    batch.clear();
}

uint64_t PacketFramer::ReadyOffset(size_t index) const {
    const uint64_t end = deliveredOffset + index * step + kPacketSize;
    // At the end of the stream nothing more can be waited for.
    return std::min(std::max(end, decidedAt), limit);
}
