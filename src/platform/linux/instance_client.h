#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tonvera {

// Asks the Tonvera that runs in this session over its socket: one request line, one answer
// line (the running side and the protocol are SingleInstance's). Plain POSIX, so the command
// line reaches the tray application without loading a toolkit.
class InstanceClient {
  public:
    // How one request went.
    struct Exchange {
        enum class Outcome {
            answered,       // `answer` holds the answer line, without its line feed
            nobodyListens,  // no Tonvera runs in this session
            failed,         // one runs but did not answer in time, or not in the protocol
        };
        enum class Failure { none, unreachable, notAnswering, closedEarly, unexpectedAnswer };
        Outcome outcome = Outcome::failed;
        std::string answer;
        Failure failure = Failure::none;
        std::string detail;  // the system's own words for `unreachable` and `closedEarly`
    };

    static constexpr std::string_view kSocketName = "instance.socket";
    // A status answer is a small JSON object; anything longer is not ours.
    static constexpr std::size_t kMaxAnswer = std::size_t{64} * 1024;

    // `folder` holds the socket; empty when the session has none.
    explicit InstanceClient(const std::filesystem::path& folder);

    // Sends one request line (without line feed) and waits at most `limit` for the answer.
    Exchange request(const std::string& line, std::chrono::milliseconds limit) const;

    // The session's folder for the socket and the locks: <runtime folder>/tonvera.
    static std::optional<std::filesystem::path> defaultFolder();

  private:
    std::filesystem::path socketPath_;
};

}  // namespace tonvera
