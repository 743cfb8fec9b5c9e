#pragma once
// A FILE* that writes to memory, for code that prints with fprintf: what it wrote can be
// read back as a string at any time.

#include <cstdio>
#include <string>

class MemoryStream {
public:
    MemoryStream();
    ~MemoryStream();
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    FILE* File() const { return file; }
    // Everything written so far (the stream is flushed first).
    std::string Text();

private:
    char* buffer = nullptr;
    size_t size = 0;
    FILE* file = nullptr;
};
