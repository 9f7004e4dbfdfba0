#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/localizer.h"
#include "reconnect/reconnect_orchestrator.h"

// A reconnect's outcome as the command line and the instance socket carry it: one word for
// the status, one line for people, and the command's exit status.
namespace tonvera::connect_outcome {

std::string_view word(ReconnectResult::Status status);
std::optional<ReconnectResult::Status> fromWord(std::string_view word);

// "Selected Küche Radio", "Could not select Küche Radio: <the error's own text>", … in the
// user's language.
std::string describe(const Localizer& localizer, const std::string& name,
                     const ReconnectResult& result);

int exitStatus(ReconnectResult::Status status);

}  // namespace tonvera::connect_outcome
