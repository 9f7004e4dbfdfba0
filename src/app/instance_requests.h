#pragma once

#include <memory>

#include "app/app_delegate.h"
#include "platform/logger.h"
#include "platform/qt/qt_window_host.h"
#include "platform/qt/single_instance.h"

namespace tonvera {

// What the running application does for a later start and for the command line: reopen,
// connect now, tell its status. `target` and `windows` are filled in once they exist and must
// outlive the instance's handlers; requests before then find nobody to ask.
SingleInstance::Handlers instanceRequestHandlers(const std::weak_ptr<AppDelegate>& target,
                                                 const std::weak_ptr<QtWindowHost>& windows,
                                                 const Logger& logger);

}  // namespace tonvera
