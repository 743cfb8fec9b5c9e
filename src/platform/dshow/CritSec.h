#pragma once
// CCritSec, the base classes' lock (recursive, like a Windows critical section), and CAutoLock,
// which holds one for a scope.

#include <mutex>

class CCritSec {
public:
    CCritSec() = default;
    CCritSec(const CCritSec&) = delete;
    CCritSec& operator=(const CCritSec&) = delete;
    void Lock() { mutex.lock(); }
    void Unlock() { mutex.unlock(); }

private:
    std::recursive_mutex mutex;
};

class CAutoLock {
public:
    explicit CAutoLock(CCritSec* lock) : lock(lock) { lock->Lock(); }
    ~CAutoLock() { lock->Unlock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCritSec* lock;
};
