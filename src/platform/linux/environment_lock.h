#pragma once

#include <shared_mutex>

namespace tonvera {

// The C library reads the environment without a lock, so a change on one thread may hand a
// reader on another a freed or half-shifted list: a variable read as missing, a sound server's
// or a bus's address lost. Whatever reads the environment off the main thread (a library that
// looks up its settings there, a process started with it) holds this lock shared; the rare
// change holds it alone. Qt's own reads and changes take Qt's lock besides.
inline std::shared_mutex& environmentLock() {
    static std::shared_mutex lock;
    return lock;
}

}  // namespace tonvera
