#include "app/StatusLine.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

std::string FormatStatusText(const StatusCounts& counts) {
    char text[160];
    if (counts.secondsSinceNews) {
        snprintf(text, sizeof text, "%u channels, %u programmes, %u sections, last news %u s ago",
                 counts.channels, counts.programmes, counts.sections, *counts.secondsSinceNews);
    } else {
        snprintf(text, sizeof text, "%u channels, %u programmes, %u sections, no news yet",
                 counts.channels, counts.programmes, counts.sections);
    }
    return text;
}

StatusLine::StatusLine(Reader reader, int fd) : reader(std::move(reader)), fd(fd) {
    if (!isatty(fd))
        return;
    Show();  // at once, however short the run
    thread = std::thread([this] { Run(); });
}

StatusLine::~StatusLine() {
    Stop();
}

void StatusLine::Stop() {
    if (!thread.joinable())
        return;
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    thread.join();
    Write("\r\x1b[K");  // back to the start of an empty line
}

void StatusLine::Run() {
    std::unique_lock lock(mutex);
    while (!wake.wait_for(lock, std::chrono::seconds(1), [this] { return stopping; }))
        Show();
}

void StatusLine::Show() {
    // Carriage return, the text, then erase whatever a longer line before it left.
    Write("\r" + FormatStatusText(reader()) + "\x1b[K");
}

void StatusLine::Write(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // a terminal gone away is no reason to disturb the harvest
        done += static_cast<size_t>(n);
    }
}
