#pragma once

#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "platform/http_client.h"
#include "update/update_check_result.h"

namespace tonvera {

// What the update server offers: the version and where to get it.
struct AppUpdateInfo {
    std::string version;
    std::string url;
};

// Asks the update server whether a newer version is offered, over https only. Never fails
// towards its caller: every problem becomes UpdateCheckFailed. Logs and shows nothing itself.
class AppUpdateChecker {
  public:
    static constexpr std::string_view kManifestPath = "/dist/update.json";

    // `installedVersion` is the version this build carries, if any; `serverBase` the update
    // server's https address without a trailing path. Any other base makes every check fail.
    AppUpdateChecker(std::shared_ptr<HttpClient> http, std::optional<std::string> installedVersion,
                     std::string_view serverBase);

    // The installed version, or "?" when the build carries none.
    std::string currentVersion() const;

    // The manifest's address; nothing when the configured base does not make a valid https one.
    const std::optional<WebAddress>& manifestURL() const { return manifestURL_; }

    // Blocks for the request; belongs on a background task.
    UpdateCheckResult check(const std::stop_token& stop = {}) const;

    // Whether `offered` is newer: dotted pieces compared as numbers from the left, a missing
    // piece counting as 0 and any piece that is not a plain signed integer counting as 0.
    static bool isNewer(std::string_view offered, std::string_view installed);

    // The manifest in `body`: a JSON object with the strings "version" and "url"; other
    // members are ignored. Throws std::invalid_argument saying what is wrong.
    static AppUpdateInfo decodeManifest(std::string_view body);

  private:
    std::shared_ptr<HttpClient> http_;
    std::optional<std::string> installedVersion_;
    std::optional<WebAddress> manifestURL_;
    std::string configurationError_;  // why there is no manifest address
};

}  // namespace tonvera
