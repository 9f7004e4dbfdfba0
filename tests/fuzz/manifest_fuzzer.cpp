// Feeds arbitrary bytes to the manifest decoding and the address check, as an update server
// (or anyone between it and us) could.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "update/app_update_checker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    try {
        const auto info = tonvera::AppUpdateChecker::decodeManifest(body);
        if (const auto address = tonvera::parseWebAddress(info.url)) {
            if (address->scheme != "https" && address->scheme != "http") {
                __builtin_trap();
            }
        }
        static_cast<void>(tonvera::AppUpdateChecker::isNewer(info.version, "1.0.0"));
    } catch (const std::invalid_argument&) {
        // A clear refusal is the expected outcome for most inputs.
    }
    static_cast<void>(tonvera::parseWebAddress(body));
    return 0;
}
