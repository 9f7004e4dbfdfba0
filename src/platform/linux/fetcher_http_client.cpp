#include "platform/linux/fetcher_http_client.h"

#include <filesystem>

#include <fmt/format.h>
#include <unistd.h>

namespace tonvera {
namespace {

constexpr const char* kFetcherName = "tonvera-fetch";

std::string withoutTrailingNewlines(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

bool isExecutable(const std::filesystem::path& path) {
    return ::access(path.c_str(), X_OK) == 0 && std::filesystem::is_regular_file(path);
}

}  // namespace

FetcherHttpClient::FetcherHttpClient(std::shared_ptr<ProcessLauncher> launcher, std::string fetcher,
                                     std::vector<std::string> leadingArguments,
                                     std::chrono::milliseconds bound)
    : launcher_(std::move(launcher)),
      fetcher_(std::move(fetcher)),
      leadingArguments_(std::move(leadingArguments)),
      bound_(bound) {}

std::string FetcherHttpClient::locateFetcher(const std::string& executable) {
    const auto folder = std::filesystem::path(executable).parent_path();
    for (const auto& candidate :
         {folder / kFetcherName, folder.parent_path() / "libexec" / "tonvera" / kFetcherName}) {
        if (isExecutable(candidate)) {
            return candidate.string();
        }
    }
    return {};
}

std::string FetcherHttpClient::get(const std::string& address, const std::stop_token& stop) {
    if (fetcher_.empty()) {
        throw HttpError(
            fmt::format("The download helper {} is missing (it belongs beside tonvera or in "
                        "../libexec/tonvera).",
                        kFetcherName));
    }
    std::vector<std::string> arguments = leadingArguments_;
    arguments.push_back(address);
    ProcessResult result;
    try {
        result = launcher_->run(fetcher_, arguments, bound_, stop);
    } catch (const ProcessLaunchError& error) {
        throw HttpError(error.what());
    }
    switch (result.ending) {
        case ProcessResult::Ending::cancelled:
            throw HttpError("The request was cancelled.");
        case ProcessResult::Ending::timedOut:
            throw HttpError(fmt::format("The request to {} did not finish in time.", address));
        case ProcessResult::Ending::exited:
            break;
    }
    if (result.exitStatus != 0) {
        const std::string reason = withoutTrailingNewlines(std::move(result.standardError));
        throw HttpError(reason.empty() ? fmt::format("The download helper failed (status {}).",
                                                     result.exitStatus)
                                       : reason);
    }
    return std::move(result.standardOutput);
}

}  // namespace tonvera
