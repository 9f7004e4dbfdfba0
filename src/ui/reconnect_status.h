#pragma once

#include <optional>
#include <string>

#include "platform/localizer.h"
#include "reconnect/reconnect_orchestrator.h"
#include "ui/status_line.h"

namespace tonvera {

// What a window's status line says when a connect it started has ended: that the sound now
// plays on the output, or why it does not. A failure is never shown as success. Nothing while
// the application quits.
std::optional<StatusLine> reconnectStatusLine(const Localizer& localizer, const std::string& name,
                                              const ReconnectResult& result);

}  // namespace tonvera
