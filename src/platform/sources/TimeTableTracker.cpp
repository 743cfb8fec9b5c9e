#include "platform/sources/TimeTableTracker.h"

#include "platform/ts/StreamClock.h"

TimeTableTracker::TimeTableTracker()
    : framer([this](const uint8_t* packets, size_t count) {
          for (size_t i = 0; i < count; ++i) {
              const uint8_t* packet = packets + i * PacketFramer::kPacketSize;
              const uint16_t pid = static_cast<uint16_t>((packet[1] & 0x1F) << 8 | packet[2]);
              if (pid == kTimePid) {
                  packetReadyAt = framer.ReadyOffset(i);
                  assembler.Feed(packet, *this);
              }
          }
      }) {}

void TimeTableTracker::Push(const uint8_t* data, size_t size) {
    Clear();
    framer.Push(data, size);
    pushed += size;
}

void TimeTableTracker::End() {
    Clear();
    framer.End();
}

void TimeTableTracker::Clear() {
    first.reset();
    last.reset();
    marks.clear();
}

void TimeTableTracker::OnSection(const uint8_t* section, size_t length) {
    if (std::optional<int64_t> time = ParseTimeSection(section, length)) {
        if (!first)
            first = time;
        last = time;
        marks.push_back({packetReadyAt, *time});
    }
}
