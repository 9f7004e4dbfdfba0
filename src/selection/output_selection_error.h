#pragma once

#include <chrono>
#include <exception>
#include <string>
#include <vector>

namespace tonvera {

// A failed selection whose cause the sound server's own tools told: no sound server answers,
// no output has the name (and which ones there are), the route ran out of time, or the
// tools' own message. The text reads on after "Could not select Küche: ".
class OutputSelectionError final : public std::exception {
  public:
    enum class Cause { noSoundServer, notFound, timedOut, failed };

    static OutputSelectionError noSoundServer();
    static OutputSelectionError notFound(const std::string& name,
                                         std::vector<std::string> available);
    static OutputSelectionError timedOut(const std::string& runner,
                                         std::chrono::milliseconds bound);
    static OutputSelectionError failed(std::string message);

    Cause cause() const { return cause_; }
    // The outputs there were, in the server's order; only for `notFound`.
    const std::vector<std::string>& available() const { return available_; }
    const char* what() const noexcept override { return description_.c_str(); }

  private:
    OutputSelectionError(Cause cause, std::string description,
                         std::vector<std::string> available = {});

    Cause cause_;
    std::string description_;
    std::vector<std::string> available_;
};

}  // namespace tonvera
