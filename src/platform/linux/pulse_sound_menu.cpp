#include "platform/linux/pulse_sound_menu.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/linux/pulse_connection.h"
#include "platform/sound_menu_contract.h"

namespace tonvera {
namespace {

namespace menu = sound_menu;

// The elements of the menu. The three hosts come first.
enum class Kind {
    menuBarAgent,
    controlCenter,
    systemUIServer,
    menuBar,
    soundItem,
    window,
    group,
    scrollArea,
    checkbox,
    gone
};

// The host processes, in the order they are listed, with made-up process numbers that no
// real process of ours could be confused with.
struct Host {
    menu::Host names;
    std::int32_t processIdentifier = 0;
    Kind kind = Kind::gone;
};
constexpr std::array<Host, 3> kHosts = {{
    {menu::kMenuBarAgentHost, -1001, Kind::menuBarAgent},
    {menu::kControlCenterHost, -1002, Kind::controlCenter},
    {menu::kSystemUIServerHost, -1003, Kind::systemUIServer},
}};

struct MenuElement final : AccessibilityElement {
    explicit MenuElement(Kind elementKind, PulseConnection::Sink elementSink = {},
                         std::vector<std::string> elementNamesakes = {})
        : kind(elementKind), sink(std::move(elementSink)), namesakes(std::move(elementNamesakes)) {}
    Kind kind;
    PulseConnection::Sink sink;
    // The internal names of every sink that shows this description, this one included, in
    // the order they are tried: a network speaker announced over IPv4 and IPv6 is two sinks
    // under one name, and the person means either.
    std::vector<std::string> namesakes;
};

AXElementHandle element(Kind kind, PulseConnection::Sink sink = {},
                        std::vector<std::string> namesakes = {}) {
    return std::make_shared<MenuElement>(kind, std::move(sink), std::move(namesakes));
}

// Each sink's namesakes, sorted by internal name so the same pair is always tried in the same
// order whichever of them the server announced first.
std::vector<std::vector<std::string>> namesakesOf(const std::vector<PulseConnection::Sink>& sinks) {
    std::vector<std::vector<std::string>> result;
    for (const auto& sink : sinks) {
        std::vector<std::string> names;
        for (const auto& other : sinks) {
            if (other.description == sink.description) {
                names.push_back(other.name);
            }
        }
        std::ranges::sort(names);
        result.push_back(std::move(names));
    }
    return result;
}

std::string_view roleOf(Kind kind) {
    switch (kind) {
        case Kind::menuBarAgent:
        case Kind::controlCenter:
        case Kind::systemUIServer:
            return menu::kApplicationRole;
        case Kind::menuBar:
            return menu::kMenuBarRole;
        case Kind::soundItem:
            return menu::kMenuBarItemRole;
        case Kind::window:
            return menu::kWindowRole;
        case Kind::group:
            return menu::kGroupRole;
        case Kind::scrollArea:
            return menu::kScrollAreaRole;
        case Kind::checkbox:
            return menu::kCheckBoxRole;
        case Kind::gone:
            break;
    }
    return {};
}

struct PulseKey final : KeyboardEvent {
    PulseKey(std::uint16_t keyCode, bool isDown) : code(keyCode), down(isDown) {}
    std::uint16_t code;
    bool down;
};

// Makes the checkbox's sink the default or, when that fails, a namesake of it; throws the last
// failure when none could be selected.
void selectNamesake(PulseConnection& server, const MenuElement& checkbox, const Logger& logger) {
    const auto& names = checkbox.namesakes;
    if (names.empty()) {
        server.selectSink(checkbox.sink.name);
        return;
    }
    if (names.size() > 1) {
        logger.info("{} outputs are named {}: selecting {}", names.size(),
                    checkbox.sink.description, names.front());
    }
    for (std::size_t index = 0;; ++index) {
        try {
            server.selectSink(names[index]);
            return;
        } catch (const PulseError& error) {
            if (index + 1 == names.size() || !server.isReady()) {
                throw;
            }
            logger.error("Selecting {} failed ({}): selecting {}", names[index], error.what(),
                         names[index + 1]);
        }
    }
}

}  // namespace

PulseSoundMenu::PulseSoundMenu(Options options, std::shared_ptr<LogSink> logSink)
    : options_(std::move(options)),
      logger_(std::move(logSink), std::string(kLogSubsystem), "Sound") {}

PulseSoundMenu::~PulseSoundMenu() = default;

PulseConnection* PulseSoundMenu::connection() {
    if (connection_ && connection_->isReady()) {
        return connection_.get();
    }
    connection_.reset();
    // A server that just failed is not asked again at once: one selection makes many calls,
    // and each would otherwise wait out the whole time bound again.
    const auto now = std::chrono::steady_clock::now();
    if (now < retryAfter_) {
        return nullptr;
    }
    try {
        connection_ = std::make_unique<PulseConnection>(options_.server, options_.timeout);
        if (reportedUnreachable_) {
            logger_.info("The sound server can be reached again");
            reportedUnreachable_ = false;
        }
        return connection_.get();
    } catch (const PulseError& error) {
        if (!reportedUnreachable_) {
            logger_.error("{}", error.what());
            reportedUnreachable_ = true;
        }
        retryAfter_ = std::chrono::steady_clock::now() + options_.timeout;
        menuOpen_ = false;
        return nullptr;
    }
}

void PulseSoundMenu::dropConnection(const std::string& reason) {
    if (!reportedUnreachable_) {
        logger_.error("{}", reason);
        reportedUnreachable_ = true;
    }
    connection_.reset();
    retryAfter_ = std::chrono::steady_clock::now() + options_.timeout;
}

bool PulseSoundMenu::isProcessTrusted() const {
    // A Linux desktop has no such permission: the sound server answers anyone in the session.
    return true;
}

bool PulseSoundMenu::isMenuOpen() const {
    std::lock_guard lock(mutex_);
    return menuOpen_;
}

std::vector<RunningApplication> PulseSoundMenu::runningApplications() {
    std::lock_guard lock(mutex_);
    std::vector<RunningApplication> applications;
    if (connection() == nullptr) {
        return applications;  // no server, no Sound menu
    }
    for (const auto& host : kHosts) {
        applications.push_back(RunningApplication{std::string(host.names.bundleIdentifier),
                                                  std::nullopt, std::string(host.names.processName),
                                                  host.processIdentifier});
    }
    return applications;
}

AXElementHandle PulseSoundMenu::applicationElement(std::int32_t processIdentifier) {
    for (const auto& host : kHosts) {
        if (host.processIdentifier == processIdentifier) {
            return element(host.kind);
        }
    }
    return element(Kind::gone);
}

AXError PulseSoundMenu::copyAttributeValue(const AXElementHandle& handle,
                                           std::string_view attribute,
                                           std::optional<AXAttributeValue>& value) {
    value.reset();
    const auto* menuElement = dynamic_cast<const MenuElement*>(handle.get());
    if (menuElement == nullptr || menuElement->kind == Kind::gone) {
        return kAXErrorInvalidUIElement;
    }
    const Kind kind = menuElement->kind;
    if (attribute == menu::kRoleAttribute) {
        value = AXAttributeValue(std::string(roleOf(kind)));
        return kAXSuccess;
    }
    if (attribute == menu::kIdentifierAttribute) {
        if (kind == Kind::soundItem) {
            value = AXAttributeValue(std::string(menu::kSoundItemIdentifier));
        } else if (kind == Kind::checkbox) {
            value =
                AXAttributeValue(std::string(menu::kDevicePrefix) + menuElement->sink.description);
        } else {
            return kAXErrorNoValue;
        }
        return kAXSuccess;
    }
    std::lock_guard lock(mutex_);
    if (attribute == menu::kValueAttribute) {
        if (kind != Kind::checkbox) {
            return kAXErrorNoValue;
        }
        auto* server = connection();
        if (server == nullptr) {
            return kAXErrorCannotComplete;
        }
        try {
            const std::string selected = server->currentDefaultSinkName();
            value = AXAttributeValue(std::int64_t{
                std::ranges::find(menuElement->namesakes, selected) != menuElement->namesakes.end()
                    ? 1
                    : 0});
            return kAXSuccess;
        } catch (const PulseError& error) {
            dropConnection(error.what());
            return kAXErrorCannotComplete;
        }
    }
    if (attribute != menu::kChildrenAttribute) {
        return kAXErrorAttributeUnsupported;
    }
    std::vector<AXElementHandle> children;
    switch (kind) {
        case Kind::menuBarAgent:
            children.push_back(element(Kind::menuBar));
            break;
        case Kind::menuBar:
            children.push_back(element(Kind::soundItem));
            break;
        case Kind::controlCenter:
            if (menuOpen_) {
                children.push_back(element(Kind::window));
            }
            break;
        case Kind::window:
            children.push_back(element(Kind::group));
            break;
        case Kind::group:
            children.push_back(element(Kind::scrollArea));
            break;
        case Kind::scrollArea: {
            auto* server = connection();
            if (server == nullptr) {
                return kAXErrorCannotComplete;
            }
            try {
                auto sinks = server->sinks();
                auto namesakes = namesakesOf(sinks);
                for (std::size_t index = 0; index < sinks.size(); ++index) {
                    children.push_back(element(Kind::checkbox, std::move(sinks[index]),
                                               std::move(namesakes[index])));
                }
            } catch (const PulseError& error) {
                dropConnection(error.what());
                return kAXErrorCannotComplete;
            }
            break;
        }
        default:
            break;
    }
    value = AXAttributeValue(std::move(children));
    return kAXSuccess;
}

AXError PulseSoundMenu::performAction(const AXElementHandle& handle, std::string_view action) {
    const auto* menuElement = dynamic_cast<const MenuElement*>(handle.get());
    if (menuElement == nullptr || menuElement->kind == Kind::gone) {
        return kAXErrorInvalidUIElement;
    }
    if (action != menu::kPressAction ||
        (menuElement->kind != Kind::soundItem && menuElement->kind != Kind::checkbox)) {
        return kAXErrorActionUnsupported;
    }
    std::lock_guard lock(mutex_);
    auto* server = connection();
    if (server == nullptr) {
        return kAXErrorCannotComplete;
    }
    if (menuElement->kind == Kind::soundItem) {
        menuOpen_ = true;
        return kAXSuccess;
    }
    try {
        selectNamesake(*server, *menuElement, logger_);
        return kAXSuccess;
    } catch (const PulseError& error) {
        if (!server->isReady()) {
            dropConnection(error.what());
        }
        return kAXErrorCannotComplete;
    }
}

std::unique_ptr<KeyboardEvent> PulseSoundMenu::createKeyboardEvent(std::uint16_t keyCode,
                                                                   bool keyDown) {
    return std::make_unique<PulseKey>(keyCode, keyDown);
}

void PulseSoundMenu::post(const KeyboardEvent& event) {
    const auto* key = dynamic_cast<const PulseKey*>(&event);
    if (key == nullptr || key->code != menu::kEscapeKeyCode) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (key->down) {
        escapeDown_ = true;
    } else if (escapeDown_) {
        escapeDown_ = false;
        menuOpen_ = false;
        // Between selections nothing of ours stays connected to the sound server.
        connection_.reset();
    }
}

}  // namespace tonvera
