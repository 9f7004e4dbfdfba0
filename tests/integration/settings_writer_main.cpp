// Test helper: saves settings in a tight loop and reports each completed pair of assignments on
// standard output, until it is killed (or gives up after a bounded number of rounds).
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/linux/json_file_user_defaults.h"
#include "platform/linux/stderr_log_sink.h"
#include "settings/app_settings.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: settings_writer DIRECTORY FIRST\n", stderr);
        return 2;
    }
    using namespace tonvera;
    auto defaults = std::make_shared<JsonFileUserDefaults>(
        argv[1], makeAirPlayLogger(std::make_shared<StderrLogSink>()));
    AppSettings settings(defaults);
    const long first = std::strtol(argv[2], nullptr, 10);
    for (long i = first; i < first + 100000; ++i) {
        settings.setDeviceName("name-" + std::to_string(i));
        settings.setRetryAttempts(i);
        std::printf("%ld\n", i);
        std::fflush(stdout);
    }
    return 0;
}
