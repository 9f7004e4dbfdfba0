#pragma once

#include <exception>

namespace tonvera {

// How much a failed selection says about its cause, the most telling first: the permission is
// missing (nothing helps until it is granted), no sound server answers, the output is not
// there, the route ran out of time, anything else.
enum class FailureRank { permissionMissing, noSoundServer, notThere, timedOut, other };

FailureRank rankFailure(const std::exception_ptr& error);

// Of the two routes' failures in one attempt, the one that names the cause best; the
// fallback's when they tell as much.
const std::exception_ptr& mostTellingFailure(const std::exception_ptr& primary,
                                             const std::exception_ptr& fallback);

}  // namespace tonvera
