#include "app/OutputFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (stream == nullptr)
        close(fd);
    return stream;
}
