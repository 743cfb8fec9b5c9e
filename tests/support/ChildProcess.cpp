#include "support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace {

void Check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string("ChildProcess: ") + what);
}

// Appends what the descriptor has ready; false at its end (or on an error).
bool ReadReady(int fd, std::string& into) {
    char buffer[65536];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
        into.append(buffer, static_cast<size_t>(n));
        return true;
    }
    // A terminal whose other side closed reports EIO rather than an end of file.
    return n < 0 && (errno == EINTR || errno == EAGAIN);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options) {
    int outPipe[2];
    Check(pipe2(outPipe, O_CLOEXEC) == 0, "pipe");
    int errRead = -1;
    int errWrite = -1;
    if (options.stderrOnTerminal) {
        errRead = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        Check(errRead >= 0 && grantpt(errRead) == 0 && unlockpt(errRead) == 0, "pty");
        errWrite = open(ptsname(errRead), O_RDWR | O_NOCTTY | O_CLOEXEC);
        Check(errWrite >= 0, "pty slave");
    } else {
        int errPipe[2];
        Check(pipe2(errPipe, O_CLOEXEC) == 0, "pipe");
        errRead = errPipe[0];
        errWrite = errPipe[1];
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errWrite, 2);
    if (!options.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());
    // The child starts with default signal handling whatever the test runner set.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const int spawned = posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(outPipe[1]);
    close(errWrite);
    outFd = outPipe[0];
    errFd = errRead;
    Check(spawned == 0, "spawn");
    fcntl(outFd, F_SETFL, O_NONBLOCK);
    fcntl(errFd, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
    if (!waited && !reaped && pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (outFd >= 0)
        close(outFd);
    if (errFd >= 0)
        close(errFd);
}

void ChildProcess::Signal(int signalNumber) {
    if (!waited && !reaped)
        kill(pid, signalNumber);
}

bool ChildProcess::Drain(int waitMs) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    if (poll(fds, 2, waitMs) <= 0)
        return false;
    if (fds[0].revents != 0 && outFd >= 0 && !ReadReady(outFd, result.out)) {
        close(outFd);
        outFd = -1;
    }
    if (fds[1].revents != 0 && errFd >= 0 && !ReadReady(errFd, result.err)) {
        close(errFd);
        errFd = -1;
    }
    return true;
}

bool ChildProcess::HasExited() {
    if (!reaped && waitpid(pid, &status, WNOHANG) == pid)
        reaped = true;
    return reaped;
}

std::string ChildProcess::OutputSoFar() {
    Drain(0);
    return result.out;
}

std::string ChildProcess::ErrorSoFar() {
    Drain(0);
    return result.err;
}

ChildResult ChildProcess::Wait(std::chrono::milliseconds timeout) {
    if (waited)
        return result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (HasExited())
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        Drain(20);
    }
    waited = true;
    // What is still in the pipes; both reach their end now that the child is gone.
    while ((outFd >= 0 || errFd >= 0) && Drain(100)) {
    }
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.termSignal = WTERMSIG(status);
    }
    return result;
}

ChildResult RunChild(const std::vector<std::string>& argv, std::chrono::milliseconds timeout) {
    return ChildProcess(argv).Wait(timeout);
}
