#pragma once
// Runs a program as a child process with its standard output and error captured, for tests
// that drive the real binary: exit code, both streams, signals sent while it runs.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

struct ChildResult {
    int exitCode = -1;   // 0-255 when the child exited, -1 when a signal ended it
    int termSignal = 0;  // the signal that ended it, 0 when it exited
    bool timedOut = false;
    std::string out;
    std::string err;
};

struct ChildOptions {
    std::string workingDirectory;  // empty: the test's own
    // Standard error on a pseudo-terminal instead of a pipe (what it shows is still captured).
    bool stderrOnTerminal = false;
};

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid; }
    void Signal(int signalNumber);
    // Whether the child has ended (without waiting for it).
    bool HasExited();
    // Reads both streams until the child ends; after `timeout` the child is killed (SIGKILL)
    // and the result says so.
    ChildResult Wait(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // What the child wrote to standard output and error so far (reads what is ready without
    // waiting).
    std::string OutputSoFar();
    std::string ErrorSoFar();

private:
    // Reads what is ready within waitMs; false when nothing was.
    bool Drain(int waitMs);

    pid_t pid = -1;
    int outFd = -1;
    int errFd = -1;
    bool waited = false;
    bool reaped = false;  // its status is in `status`
    int status = 0;
    ChildResult result;
};

// Runs to the end: ChildProcess(argv).Wait(timeout).
ChildResult RunChild(const std::vector<std::string>& argv,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30));
