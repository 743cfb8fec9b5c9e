#pragma once
// Cuts a transport stream, delivered in chunks of any size (as a file or a socket hands them
// over), into 188-byte packets. Captures of 192-byte packets (a 4-byte timestamp before each
// packet) and of 204-byte packets (16 Reed-Solomon bytes after each) are recognised at the start
// and delivered as their 188-byte packets.
//
// Sync: a stream whose first packet starts with 0x47 where its packet size puts it is in sync at
// once. Otherwise, and after every packet whose sync byte is missing, sync is found again at the
// first place with 0x47 at three successive packet steps and room for three whole packets; when
// the stream ends before such a place, the rest is ignored. A packet cut off by the end of the
// stream is never delivered. Every decision depends on the bytes alone, never on how they were
// split into chunks.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class PacketFramer {
public:
    static constexpr size_t kPacketSize = 188;
    static constexpr uint8_t kSyncByte = 0x47;

    // Receives `count` whole 188-byte packets back to back, each starting with 0x47. The bytes are
    // valid only during the call.
    using PacketHandler = std::function<void(const uint8_t* packets, size_t count)>;

    explicit PacketFramer(PacketHandler onPackets);

    // The next bytes of the stream: every packet they complete is delivered before this returns.
    void Push(const uint8_t* data, size_t size);
    // The end of the stream: delivers what the remaining bytes allow, drops the rest and makes the
    // framer ready for a new stream.
    void End();

    // 188, 192 or 204 once the stream has shown it; 0 before.
    size_t PacketStep() const { return step; }

    // Only while the handler runs. Where the delivered packets lie in the stream (offsets count
    // the bytes pushed since the start of the stream): the sync byte of the first packet, and
    // for packet `index` of the delivery the offset up to which bytes had to be pushed before
    // it could be delivered (its end, or later where sync had to be confirmed first). A framer
    // fed the same bytes in any other chunks delivers the packet once it has been pushed that
    // far, never before.
    uint64_t DeliveredOffset() const { return deliveredOffset; }
    uint64_t ReadyOffset(size_t index) const;

private:
    enum class State { Detect, InSync, Search };

    // Frames as much of `data` as can be decided (all of it when `end`); returns the bytes
    // consumed. The rest must be offered again with more bytes behind it.
    size_t Process(const uint8_t* data, size_t size, bool end);
    size_t Detect(const uint8_t* data, size_t size);
    size_t FollowSync(const uint8_t* data, size_t size, size_t pos, bool end);
    size_t FindSync(const uint8_t* data, size_t size, size_t pos, bool end);
    void Deliver(const uint8_t* packets, size_t count, uint64_t offset);
    void FlushBatch();

    PacketHandler onPackets;
    State state = State::Detect;
    size_t step = 0;             // bytes from one sync byte to the next
    bool stepConfirmed = false;  // seen at three successive steps
    size_t skip = 0;             // trailer bytes of the last packet that have not arrived yet
    std::vector<uint8_t> carry;  // undecided bytes from the end of the last chunk
    std::vector<uint8_t> batch;  // packets copied out of 192- and 204-byte units

    // Stream offsets: of the next byte pushed, of the bytes Process works on and their end, of
    // the first packet in the batch, of the end of the bytes the last sync decision needed, and
    // of the packets being delivered.
    uint64_t pushed = 0;
    uint64_t base = 0;
    uint64_t limit = 0;
    uint64_t batchOffset = 0;
    uint64_t decidedAt = 0;
    uint64_t deliveredOffset = 0;
};
