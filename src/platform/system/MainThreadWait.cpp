#include "platform/system/MainThreadWait.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <system_error>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};  // as previousActions holds them

// Where the handler writes; read inside the handler, so a lock-free atomic.
std::atomic<int> signalFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

// Byte 0 stands for Wake, any other byte for the signal of that number.
void WriteWake(int fd, unsigned char reason) {
    // A full pipe already holds a wake; nothing is lost when this write fails.
    [[maybe_unused]] ssize_t written = write(fd, &reason, 1);
}

extern "C" void OnSignal(int signal) {
    const int savedErrno = errno;
    const int fd = signalFd.load();
    if (fd >= 0)
        WriteWake(fd, static_cast<unsigned char>(signal));
    errno = savedErrno;
}

}  // namespace

MainThreadWait::MainThreadWait() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe2");
    readFd = fds[0];
    writeFd = fds[1];
    // The writers (signal handler, other threads) must never block; Wait blocks in poll.
    fcntl(writeFd, F_SETFL, fcntl(writeFd, F_GETFL) | O_NONBLOCK);
    fcntl(readFd, F_SETFL, fcntl(readFd, F_GETFL) | O_NONBLOCK);

    previousSignalFd = signalFd.exchange(writeFd);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: the other threads' reads and waits go on undisturbed.
    // SA_RESETHAND: a second signal ends the process at once.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &action, &previousActions[i]);
}

MainThreadWait::~MainThreadWait() {
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &previousActions[i], nullptr);
    signalFd.store(previousSignalFd);
    close(readFd);
    close(writeFd);
}

void MainThreadWait::Wake() {
    WriteWake(writeFd, 0);
}

int MainThreadWait::Wait() {
    unsigned char reason = 0;
    for (;;) {
        // Blocks in poll rather than read: a thread sanitizer runs signal handlers at once
        // only for a thread inside a call it knows to block, and poll is such a call.
        pollfd ready{readFd, POLLIN, 0};
        if (poll(&ready, 1, -1) < 0 && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "poll");
        const ssize_t got = read(readFd, &reason, 1);
        if (got == 1)
            return reason;
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        // End of file cannot happen while the write end is open; do not spin.
        throw std::system_error(errno, std::generic_category(), "read");
    }
}
