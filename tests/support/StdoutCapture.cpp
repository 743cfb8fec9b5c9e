#include "support/StdoutCapture.h"

#include <unistd.h>

#include <cstdio>
#include <stdexcept>

std::string CaptureStdout(const std::function<void()>& action) {
    std::fflush(stdout);
    FILE* temp = std::tmpfile();
    if (temp == nullptr)
        throw std::runtime_error("CaptureStdout: no temporary file");
    const int saved = dup(STDOUT_FILENO);
    if (saved < 0 || dup2(fileno(temp), STDOUT_FILENO) < 0) {
        std::fclose(temp);
        throw std::runtime_error("CaptureStdout: cannot redirect standard output");
    }
    auto restore = [&] {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    };
    try {
        action();
    } catch (...) {
        restore();
        std::fclose(temp);
        throw;
    }
    restore();
    std::string text;
    std::rewind(temp);
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, temp)) > 0)
        text.append(chunk, got);
    std::fclose(temp);
    return text;
}
