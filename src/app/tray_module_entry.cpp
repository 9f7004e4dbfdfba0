#include <type_traits>

#include "app/tonvera_app.h"
#include "app/tray_module.h"

// The one symbol the tray application's module exports (everything else in it is hidden); the
// command finds it by name after loading the module.
// NOLINTNEXTLINE(readability-identifier-naming): a C symbol, looked up by this name.
extern "C" __attribute__((visibility("default"))) int tonvera_run_tray_application(int argc,
                                                                                   char** argv) {
    static_assert(
        std::is_same_v<decltype(&tonvera_run_tray_application), tonvera::tray_module::Entry>);
    return tonvera::TonveraApp::run(argc, argv);
}
