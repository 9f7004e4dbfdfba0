#include "platform/linux/curl_http_client.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <mutex>
#include <string_view>

#include <curl/curl.h>
#include <fmt/format.h>

namespace tonvera {
namespace {

struct Transfer {
    std::string body;
    std::size_t maxBodyBytes = 0;
    bool tooLarge = false;
    const std::stop_token* stop = nullptr;
};

std::size_t collectBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer->body.size() + bytes > transfer->maxBodyBytes) {
        transfer->tooLarge = true;
        return 0;  // makes curl stop with a write error
    }
    transfer->body.append(data, bytes);
    return bytes;
}

int checkStop(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<Transfer*>(user);
    return transfer->stop->stop_requested() ? 1 : 0;
}

bool isHttpsAddress(std::string_view address) {
    constexpr std::string_view kScheme = "https://";
    return address.size() > kScheme.size() &&
           std::equal(kScheme.begin(), kScheme.end(), address.begin(), [](char wanted, char given) {
               return wanted == std::tolower(static_cast<unsigned char>(given));
           });
}

void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

CurlHttpClient::CurlHttpClient() : CurlHttpClient(Options{}) {}

CurlHttpClient::CurlHttpClient(Options options) : options_(std::move(options)) {
    initialiseOnce();
}

std::string CurlHttpClient::get(const std::string& address, const std::stop_token& stop) {
    // Refused before any connection is made; curl's own protocol list would refuse it too.
    if (!isHttpsAddress(address)) {
        throw HttpError(fmt::format("Only https addresses are fetched, not {}", address));
    }
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                   &curl_easy_cleanup);
    if (!curl) {
        throw HttpError("Could not start a web request.");
    }
    Transfer transfer;
    transfer.maxBodyBytes = options_.maxBodyBytes;
    transfer.stop = &stop;
    std::array<char, CURL_ERROR_SIZE> detail{};

    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, options_.maxRedirects);
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (options_.caFile) {
        curl_easy_setopt(handle, CURLOPT_CAINFO, options_.caFile->c_str());
    }
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options_.connectTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.totalTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(options_.maxBodyBytes));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &collectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &checkStop);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, detail.data());
    // Signals must not be used for time-outs in a threaded program.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Tonvera update check");

    const CURLcode code = curl_easy_perform(handle);
    if (code == CURLE_OK) {
        return std::move(transfer.body);
    }
    if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        throw HttpError(fmt::format("The answer from {} is larger than {} bytes.", address,
                                    options_.maxBodyBytes));
    }
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        throw HttpError("The request was cancelled.");
    }
    const std::string reason =
        detail[0] != '\0' ? std::string(detail.data()) : curl_easy_strerror(code);
    throw HttpError(fmt::format("The request to {} failed: {}", address, reason));
}

}  // namespace tonvera
