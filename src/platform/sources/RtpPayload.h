#pragma once
// The transport stream bytes of one datagram. Plain transport stream over UDP starts with a
// sync byte (0x47); RTP starts with its version 2 header, whose first byte never is one. An RTP
// header is recognised by its version whatever its payload type (33 is MP2T, others are met),
// and removed with its CSRC list, its header extension and its padding.

#include <cstddef>
#include <cstdint>
#include <span>

// `rtpExpected` (an rtp:// Url): a valid RTP packet gives its payload, a datagram starting with
// a sync byte itself, anything else nothing. Otherwise (udp://): a datagram starting with a sync
// byte is itself, a valid RTP packet whose payload starts with one gives that payload, and
// anything else is passed on whole (the demultiplexer's framer finds the packets in it).
std::span<const uint8_t> TransportStreamPayload(std::span<const uint8_t> datagram,
                                                bool rtpExpected);
