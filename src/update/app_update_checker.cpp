#include "update/app_update_checker.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace tonvera {
namespace {

// A plain signed decimal integer (optional sign, digits only) in 64 bits; 0 otherwise.
std::int64_t versionPiece(std::string_view piece) {
    std::string_view digits = piece;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return 0;
    }
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (!negative) {
        return magnitude <= kMax ? static_cast<std::int64_t>(magnitude) : 0;
    }
    if (magnitude == kMax + 1) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return magnitude <= kMax ? -static_cast<std::int64_t>(magnitude) : 0;
}

std::vector<std::int64_t> versionPieces(std::string_view version) {
    std::vector<std::int64_t> pieces;
    while (!version.empty()) {
        const auto dot = version.find('.');
        const auto piece = version.substr(0, dot);
        if (!piece.empty()) {
            pieces.push_back(versionPiece(piece));
        }
        version = dot == std::string_view::npos ? std::string_view() : version.substr(dot + 1);
    }
    return pieces;
}

std::string requiredString(const nlohmann::json& manifest, const char* member) {
    const auto found = manifest.find(member);
    if (found == manifest.end()) {
        throw std::invalid_argument(
            fmt::format("The update manifest has no \"{}\" member.", member));
    }
    if (!found->is_string()) {
        throw std::invalid_argument(
            fmt::format("The update manifest's \"{}\" member is not a text.", member));
    }
    return found->get<std::string>();
}

}  // namespace

AppUpdateChecker::AppUpdateChecker(std::shared_ptr<HttpClient> http,
                                   std::optional<std::string> installedVersion,
                                   std::string_view serverBase)
    : http_(std::move(http)), installedVersion_(std::move(installedVersion)) {
    auto address = parseWebAddress(std::string(serverBase) + std::string(kManifestPath));
    if (!address) {
        configurationError_ = "The update server's address is not a valid web address.";
    } else if (address->scheme != "https") {
        // Over plain text anyone on the way could offer a download of their choosing.
        configurationError_ =
            fmt::format("The update server's address must be an https address: {}", serverBase);
    } else {
        manifestURL_ = std::move(address);
    }
}

std::string AppUpdateChecker::currentVersion() const {
    return installedVersion_.value_or("?");
}

bool AppUpdateChecker::isNewer(std::string_view offered, std::string_view installed) {
    const auto left = versionPieces(offered);
    const auto right = versionPieces(installed);
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        const std::int64_t a = i < left.size() ? left[i] : 0;
        const std::int64_t b = i < right.size() ? right[i] : 0;
        if (a != b) {
            return a > b;
        }
    }
    return false;
}

AppUpdateInfo AppUpdateChecker::decodeManifest(std::string_view body) {
    const auto manifest = nlohmann::json::parse(body, nullptr, /*allow_exceptions=*/false);
    if (manifest.is_discarded()) {
        throw std::invalid_argument("The update manifest is not valid JSON.");
    }
    if (!manifest.is_object()) {
        throw std::invalid_argument("The update manifest is not a JSON object.");
    }
    return AppUpdateInfo{requiredString(manifest, "version"), requiredString(manifest, "url")};
}

UpdateCheckResult AppUpdateChecker::check(const std::stop_token& stop) const {
    const std::string current = currentVersion();
    if (!manifestURL_) {
        return UpdateCheckFailed{configurationError_};
    }
    std::string body;
    try {
        body = http_->get(manifestURL_->text, stop);
    } catch (const std::exception& error) {
        return UpdateCheckFailed{error.what()};
    }
    AppUpdateInfo info;
    try {
        info = decodeManifest(body);
    } catch (const std::invalid_argument& error) {
        return UpdateCheckFailed{error.what()};
    }
    // Checked before the versions: a bad address fails the check even when nothing is newer.
    // Only https: a manifest offering anything else was tampered with or is misconfigured.
    auto url = parseWebAddress(info.url);
    if (!url || url->scheme != "https") {
        return UpdateCheckFailed{
            fmt::format("The offered download address is not a valid https address: {}", info.url)};
    }
    if (isNewer(info.version, current)) {
        return UpdateAvailable{std::move(info.version), std::move(*url)};
    }
    return UpToDate{current};
}

}  // namespace tonvera
