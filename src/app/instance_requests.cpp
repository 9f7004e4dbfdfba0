#include "app/instance_requests.h"

#include "app/cli_commands.h"
#include "app/connect_outcome.h"

namespace tonvera {

SingleInstance::Handlers instanceRequestHandlers(const std::weak_ptr<AppDelegate>& target,
                                                 const std::weak_ptr<QtWindowHost>& windows,
                                                 const Logger& logger) {
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
            [&target, logger](const std::optional<std::string>& name,
                              const SingleInstance::ConnectReply& reply) {
                const auto delegate = target.lock();
                if (!delegate) {
                    const ReconnectResult result{ReconnectResult::Status::cancelled, {}};
                    reply(std::string(connect_outcome::word(result.status)),
                          connect_outcome::describe(name.value_or(""), result));
                    return;
                }
                logger.info("Connect requested from the command line for {}",
                            name ? *name : "the preferred output");
                delegate->connectOnRequest(
                    name, [reply](const std::string& output, const ReconnectResult& result) {
                        reply(std::string(connect_outcome::word(result.status)),
                              connect_outcome::describe(output, result));
                    });
            },
        .status =
            [&target] {
                const auto delegate = target.lock();
                return cli::instanceStatus(delegate && delegate->orchestrator() &&
                                           delegate->orchestrator()->isRunning());
            },
    };
}

}  // namespace tonvera
