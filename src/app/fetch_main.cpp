// tonvera-fetch [--ca-file <certificates>] <https address>: one GET, the body on standard
// output, what went wrong on standard error. The tray application runs it for its update
// check, so the TLS stack never stays in the long-running process.
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/linux/curl_http_client.h"

int main(int argc, char** argv) {
    tonvera::CurlHttpClient::Options options;
    std::string address;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--ca-file" && i + 1 < argc) {
            options.caFile = argv[++i];
        } else if (address.empty() && !argument.starts_with('-')) {
            address = argument;
        } else {
            address.clear();
            break;
        }
    }
    if (address.empty()) {
        std::fputs("Usage: tonvera-fetch [--ca-file <certificates>] <https address>\n", stderr);
        return 2;
    }
    try {
        const std::string body = tonvera::CurlHttpClient(options).get(address, {});
        return std::fwrite(body.data(), 1, body.size(), stdout) == body.size() &&
                       std::fflush(stdout) == 0
                   ? 0
                   : 1;
    } catch (const tonvera::HttpError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
