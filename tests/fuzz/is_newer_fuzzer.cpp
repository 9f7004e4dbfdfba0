// Compares two arbitrary version texts (split at the first line feed) and checks that the
// answer is a strict order: never newer than itself, never newer in both directions.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "update/app_update_checker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find('\n');
    const std::string_view offered = input.substr(0, split);
    const std::string_view installed =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    using tonvera::AppUpdateChecker;
    if (AppUpdateChecker::isNewer(offered, offered) ||
        (AppUpdateChecker::isNewer(offered, installed) &&
         AppUpdateChecker::isNewer(installed, offered))) {
        __builtin_trap();
    }
    return 0;
}
