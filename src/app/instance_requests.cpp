#include "app/instance_requests.h"

#include <nlohmann/json.hpp>
#include <unistd.h>

#include "app/build_config.h"
#include "app/connect_outcome.h"
#include "platform/qt/qt_localizer.h"

namespace tonvera {
namespace {

// The status request's answer: this process, its version and whether a reconnect is under way.
std::string instanceStatus(bool reconnecting) {
    return nlohmann::json{
        {"pid", ::getpid()},
        {"version", build_config::kVersion ? nlohmann::json(std::string(*build_config::kVersion))
                                           : nlohmann::json(nullptr)},
        {"reconnecting", reconnecting},
    }
        .dump();
}

}  // namespace

SingleInstance::Handlers instanceRequestHandlers(const std::weak_ptr<AppDelegate>& target,
                                                 const std::weak_ptr<QtWindowHost>& windows,
                                                 const Logger& logger) {
    // The outcome line is in the application's language, which the session's command line
    // shares.
    const auto localizer = std::make_shared<QtLocalizer>();
    return SingleInstance::Handlers{
        // On Wayland only the token the desktop gave the second start lets a window come
        // forward; the window shown for this reopen uses it.
        .reopen =
            [&target, &windows, logger](const std::string& activationToken) {
                logger.info("Started again: bringing the running Tonvera forward");
                if (const auto host = windows.lock(); host && !activationToken.empty()) {
                    host->useActivationTokenOnce(activationToken);
                }
                if (const auto delegate = target.lock()) {
                    delegate->applicationShouldHandleReopen();
                }
            },
        .connect =
            [&target, logger, localizer](const std::optional<std::string>& name,
                                         const SingleInstance::ConnectReply& reply) {
                const auto delegate = target.lock();
                if (!delegate) {
                    const ReconnectResult result{ReconnectResult::Status::cancelled, {}};
                    reply(std::string(connect_outcome::word(result.status)),
                          connect_outcome::describe(*localizer, name.value_or(""), result));
                    return;
                }
                logger.info("Connect requested from the command line for {}",
                            name ? *name : "the preferred output");
                delegate->connectOnRequest(name, [reply, localizer](const std::string& output,
                                                                    const ReconnectResult& result) {
                    reply(std::string(connect_outcome::word(result.status)),
                          connect_outcome::describe(*localizer, output, result));
                });
            },
        .status =
            [&target] {
                const auto delegate = target.lock();
                return instanceStatus(delegate && delegate->orchestrator() &&
                                      delegate->orchestrator()->isRunning());
            },
    };
}

}  // namespace tonvera
