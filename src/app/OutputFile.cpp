#include "app/OutputFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>

namespace {

// The buffers of the open streams: stdio does not free a buffer it was given.
std::mutex buffersLock;
std::map<FILE*, std::unique_ptr<char[]>> buffers;

}  // namespace

FILE* OpenOutputFile(const char* path) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        close(fd);
        return nullptr;
    }
    // Pipes and devices (a user may name /dev/stdout) have no content to protect or truncate.
    if (S_ISREG(status.st_mode)) {
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ftruncate(fd, 0) != 0) {
            close(fd);
            return nullptr;
        }
    }
    FILE* stream = fdopen(fd, "wb");
    if (stream == nullptr) {
        close(fd);
        return nullptr;
    }
    auto buffer = std::make_unique<char[]>(kOutputBufferSize);
    if (setvbuf(stream, buffer.get(), _IOFBF, kOutputBufferSize) == 0) {
        std::lock_guard guard(buffersLock);
        buffers[stream] = std::move(buffer);
    }
    return stream;
}

int CloseOutputFile(FILE* stream) {
    std::unique_ptr<char[]> buffer;  // freed after the stream is closed
    {
        std::lock_guard guard(buffersLock);
        if (const auto found = buffers.find(stream); found != buffers.end()) {
            buffer = std::move(found->second);
            buffers.erase(found);
        }
    }
    return fclose(stream);
}
