#pragma once
// The main thread's wait for the end of a run: Wait blocks until another thread calls Wake, or
// until SIGINT or SIGTERM arrives, and tells which. A wake or signal that comes before Wait is
// kept, so none is lost to a race.
//
// While the object exists it handles SIGINT and SIGTERM for the whole process (by writing the
// signal's number into a pipe that Wait reads); its destructor restores the handlers it found.
// Each handler fires once: the same signal a second time (the user pressing Ctrl-C again while
// the program is still shutting down) has its default effect and ends the process at once, the
// way out when an orderly end hangs.
// One object at a time; a newer one takes the signals over until it is destroyed.

#include <csignal>

class MainThreadWait {
public:
    MainThreadWait();
    MainThreadWait(const MainThreadWait&) = delete;
    MainThreadWait& operator=(const MainThreadWait&) = delete;
    ~MainThreadWait();

    // Any thread (also a signal handler). Each call ends one Wait.
    void Wake();
    // 0 when ended by Wake, else the number of the signal (SIGINT, SIGTERM).
    int Wait();

private:
    int readFd = -1;
    int writeFd = -1;
    int previousSignalFd = -1;
    struct sigaction previousActions[2] = {};  // of SIGINT, SIGTERM
};
