#pragma once
// A SectionParser writing into memory, with a settable clock and ChannelBase restored
// afterwards; sections are handed over in heap buffers of exactly their size, so that the
// address sanitizer catches any read past a section.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "si/SectionParser.h"
#include "si/Settings.h"
#include "sibuild/SectionBuilder.h"

struct HeapBytes {
    explicit HeapBytes(const sibuild::Bytes& bytes)
        : data(new uint8_t[bytes.size()]), size(static_cast<int32_t>(bytes.size())) {
        std::copy(bytes.begin(), bytes.end(), data.get());
    }
    std::unique_ptr<uint8_t[]> data;
    int32_t size;
};

class ParserFixture : public ::testing::Test {
protected:
    ParserFixture() {
        stream = open_memstream(&buffer, &bufferSize);
        parser.outputStream = stream;
        parser.now = [this] {
            ++nowCalls;
            return now;
        };
    }
    ~ParserFixture() override {
        fclose(stream);
        free(buffer);
        ChannelBase = savedChannelBase;
    }

    // Everything written since the last call.
    std::string TakeOutput() {
        fflush(stream);
        std::string out(buffer + taken, bufferSize - taken);
        taken = bufferSize;
        return out;
    }

    ServiceRecord& AddService(uint16_t serviceId, uint16_t channelNumber,
                              uint8_t serviceType = 0x01, uint8_t runningStatus = 4) {
        ServiceRecord& record = parser.services[serviceId];
        record.channelNumber = channelNumber;
        record.serviceType = serviceType;
        record.runningStatus = runningStatus;
        return record;
    }

    SectionParser parser;
    int64_t now = 0;
    int nowCalls = 0;

private:
    FILE* stream = nullptr;
    char* buffer = nullptr;
    size_t bufferSize = 0;
    size_t taken = 0;
    int32_t savedChannelBase = ChannelBase;
};
