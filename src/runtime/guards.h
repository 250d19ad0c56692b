// Scope guards for process-wide and per-object state that a call changes while it runs and
// must give back on every way out.
#pragma once
#include <windows.h>

namespace zor {

// One more level of a nesting counter while it lives; level() is this one's depth, from 1.
class NestingLevel {
public:
    explicit NestingLevel(int& depth) : depth_(depth), level_(++depth) {}
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;
    ~NestingLevel() { --depth_; }
    int level() const { return level_; }

private:
    int& depth_;
    int level_;
};

// The thread's error mode with critical errors failing the call while this lives, restored when
// it goes. A volume with no disk in it (an empty card reader or DVD drive) otherwise raises the
// system's "no disk" box, which under a page server nobody can answer.
class CriticalErrorsFail {
public:
    CriticalErrorsFail() : previous_(GetThreadErrorMode()) {
        SetThreadErrorMode(previous_ | SEM_FAILCRITICALERRORS, nullptr);
    }
    CriticalErrorsFail(const CriticalErrorsFail&) = delete;
    CriticalErrorsFail& operator=(const CriticalErrorsFail&) = delete;
    ~CriticalErrorsFail() { SetThreadErrorMode(previous_, nullptr); }

private:
    DWORD previous_;
};

// A lock for process-wide state that holds no kernel object. The C++ runtime's std::mutex makes
// an event the first time two threads meet at it and keeps it for the life of the process: a
// handle left behind by whichever call happened to wait.
class Lock {
public:
    Lock() = default;
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void lock() { AcquireSRWLockExclusive(&lock_); }
    bool try_lock() { return TryAcquireSRWLockExclusive(&lock_) != 0; }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

} // namespace zor
