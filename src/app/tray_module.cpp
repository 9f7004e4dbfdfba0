#include "app/tray_module.h"

#include <array>
#include <filesystem>
#include <system_error>

#include <dlfcn.h>

#include "app/build_config.h"

namespace tonvera::tray_module {

std::variant<Entry, std::string> load() {
    std::error_code error;
    const auto folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    if (error) {
        return "cannot find the program's own folder: " + error.message();
    }
    const std::array<std::filesystem::path, 2> candidates = {
        folder / build_config::kTrayModuleName,
        (folder / build_config::kInstalledTrayModule).lexically_normal(),
    };
    for (const auto& path : candidates) {
        if (!std::filesystem::exists(path, error)) {
            continue;
        }
        // Lazy binding, as for the libraries of an executable: resolving all of Qt's symbols
        // at once would cost start-up time the tray application never had to pay. Never
        // closed: its code runs, and its statics live, until the process ends.
        void* module = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
        if (module == nullptr) {
            // NOLINTNEXTLINE(concurrency-mt-unsafe): the process's only thread so far.
            return std::string(::dlerror());
        }
        if (void* entry = ::dlsym(module, kEntryName); entry != nullptr) {
            // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): dlsym's contract.
            return reinterpret_cast<Entry>(entry);
        }
        return path.string() + " has no " + kEntryName;
    }
    return "neither " + candidates[0].string() + " nor " + candidates[1].string() + " exists";
}

}  // namespace tonvera::tray_module
