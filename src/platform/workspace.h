#pragma once

#include <string_view>

namespace tonvera {

// The desktop's way of opening documents, settings panes and web addresses.
class Workspace {
  public:
    virtual ~Workspace() = default;

    // Opens `address`; true when something was opened for it.
    virtual bool openURL(std::string_view address) = 0;
};

}  // namespace tonvera
