#include "app/instance_requests.h"

#include "app/cli_commands.h"
#include "app/connect_outcome.h"

namespace tonvera {

SingleInstance::Handlers instanceRequestHandlers(const std::weak_ptr<AppDelegate>& target,
                                                 const Logger& logger) {
    return SingleInstance::Handlers{
        // The activation token is for bringing a window forward on Wayland; the window host
        // takes it from here once it can use one.
        .reopen =
            [&target, logger](const std::string& /*activationToken*/) {
                logger.info("Started again: bringing the running Tonvera forward");
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
