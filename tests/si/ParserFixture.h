#pragma once
// A SectionParser writing into memory, with a settable clock and ChannelBase restored
// afterwards. Tests hand sections over in ExactBuffers, so that AddressSanitizer catches any
// read past a section.

#include <gtest/gtest.h>

#include <string>

#include "si/SectionParser.h"
#include "support/ChannelBaseGuard.h"
#include "support/ExactBuffer.h"
#include "support/MemoryStream.h"

class ParserFixture : public ::testing::Test {
protected:
    ParserFixture() {
        parser.outputStream = out.File();
        parser.now = [this] {
            ++nowCalls;
            return now;
        };
    }

    // Everything written since the last call.
    std::string TakeOutput() {
        std::string text = out.Text();
        std::string fresh = text.substr(taken);
        taken = text.size();
        return fresh;
    }

    ServiceRecord& AddService(uint16_t serviceId, uint16_t channelNumber,
                              uint8_t serviceType = 0x01, uint8_t runningStatus = 4) {
        ServiceRecord& record = parser.services[serviceId];
        record.channelNumber = channelNumber;
        record.serviceType = serviceType;
        record.runningStatus = runningStatus;
        return record;
    }

    MemoryStream out;
    SectionParser parser;
    ChannelBaseGuard channelBase{0};  // tests set ChannelBase freely; it is restored after them
    int64_t now = 0;
    int nowCalls = 0;

private:
    size_t taken = 0;
};
