#pragma once
// A progress line on a terminal's standard error: rewritten in place about once a second,
// cleared when the run ends. Standard output and the document never see it.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

struct StatusCounts {
    uint32_t channels = 0;
    uint32_t programmes = 0;
    uint32_t sections = 0;
    std::optional<uint32_t> secondsSinceNews;  // nothing before the first news
};

std::string FormatStatusText(const StatusCounts& counts);

class StatusLine {
public:
    using Reader = std::function<StatusCounts()>;

    // Shows the line on `fd` only when it is a terminal; otherwise does nothing at all.
    explicit StatusLine(Reader reader, int fd = 2);
    ~StatusLine();
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    // Stops the updates and clears the line. The reader is not called after it returns.
    void Stop();

private:
    void Run();
    void Show();
    void Write(const std::string& bytes);

    Reader reader;
    int fd;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread;
};
