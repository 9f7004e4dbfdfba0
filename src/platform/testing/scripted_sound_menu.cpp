#include "platform/testing/scripted_sound_menu.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/sound_menu_contract.h"

namespace tonvera::testing {
namespace {

constexpr std::size_t kNoNode = std::numeric_limits<std::size_t>::max();

struct ScriptedElement final : AccessibilityElement {
    ScriptedElement(const void* menu, std::size_t index) : owner(menu), node(index) {}
    const void* owner;
    std::size_t node;
};

struct ScriptedKey final : KeyboardEvent {
    ScriptedKey(std::uint16_t keyCode, bool keyDown) : code(keyCode), down(keyDown) {}
    std::uint16_t code;
    bool down;
};

}  // namespace

ScriptedSoundMenu::ScriptedSoundMenu(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {}

ScriptedSoundMenu::NodeId ScriptedSoundMenu::addNode(std::optional<NodeId> parent, Kind kind,
                                                     std::optional<AXAttributeValue> identifier,
                                                     std::optional<std::string> role,
                                                     std::string outputName) {
    const NodeId id = nodes_.size();
    Node node;
    node.kind = kind;
    node.identifier = std::move(identifier);
    node.role = std::move(role);
    node.outputName = std::move(outputName);
    node.handle = std::make_shared<ScriptedElement>(this, id);
    nodes_.push_back(std::move(node));
    if (parent) {
        nodes_.at(*parent).children.push_back(id);
    }
    return id;
}

ScriptedSoundMenu::NodeId ScriptedSoundMenu::addApplication(RunningApplication application) {
    std::lock_guard lock(mutex_);
    const NodeId root = addNode(std::nullopt, Kind::application, std::nullopt, "AXApplication");
    applications_.emplace_back(std::move(application), root);
    return root;
}

ScriptedSoundMenu::NodeId ScriptedSoundMenu::addElement(NodeId parent,
                                                        std::optional<AXAttributeValue> identifier,
                                                        std::optional<std::string> role) {
    std::lock_guard lock(mutex_);
    return addNode(parent, Kind::plain, std::move(identifier), std::move(role));
}

ScriptedSoundMenu::NodeId ScriptedSoundMenu::addSoundItem(NodeId parent, std::string identifier) {
    std::lock_guard lock(mutex_);
    return addNode(parent, Kind::soundItem, AXAttributeValue(std::move(identifier)),
                   "AXMenuBarItem");
}

ScriptedSoundMenu::NodeId ScriptedSoundMenu::addMenuContent(NodeId parent) {
    std::lock_guard lock(mutex_);
    return addNode(parent, Kind::menuContent, std::nullopt, "AXWindow");
}

ScriptedSoundMenu::NodeId ScriptedSoundMenu::addOutput(NodeId parent, const std::string& name,
                                                       std::string role) {
    std::lock_guard lock(mutex_);
    return addNode(parent, Kind::output,
                   AXAttributeValue(std::string(sound_menu::kDevicePrefix) + name), std::move(role),
                   name);
}

void ScriptedSoundMenu::link(NodeId parent, NodeId child) {
    std::lock_guard lock(mutex_);
    nodes_.at(parent).children.push_back(child);
}

void ScriptedSoundMenu::setValue(NodeId node, std::optional<AXAttributeValue> value) {
    std::lock_guard lock(mutex_);
    nodes_.at(node).value = std::move(value);
}

void ScriptedSoundMenu::setTrusted(bool trusted) {
    std::lock_guard lock(mutex_);
    trusted_ = trusted;
}

void ScriptedSoundMenu::selectOutput(const std::string& name) {
    std::lock_guard lock(mutex_);
    selected_ = name;
    pendingSelection_.reset();
}

void ScriptedSoundMenu::setEntriesAppearAfter(Clock::Duration delay) {
    std::lock_guard lock(mutex_);
    appearAfter_ = delay;
}

void ScriptedSoundMenu::setSelectionLatency(Clock::Duration latency) {
    std::lock_guard lock(mutex_);
    selectionLatency_ = latency;
}

void ScriptedSoundMenu::setPressResult(NodeId node, AXError code) {
    std::lock_guard lock(mutex_);
    nodes_.at(node).pressResult = code;
}

void ScriptedSoundMenu::failReads(NodeId node, const std::string& attribute, AXError code,
                                  std::optional<int> times) {
    std::lock_guard lock(mutex_);
    nodes_.at(node).failingReads.insert_or_assign(attribute, std::pair{code, times});
}

void ScriptedSoundMenu::quitOnMenuOpen(NodeId application) {
    std::lock_guard lock(mutex_);
    quitOnOpen_.insert(application);
}

void ScriptedSoundMenu::setFreshHandles(bool fresh) {
    std::lock_guard lock(mutex_);
    freshHandles_ = fresh;
}

void ScriptedSoundMenu::setKeyEventCreationFails(bool fails) {
    std::lock_guard lock(mutex_);
    keyEventsFail_ = fails;
}

bool ScriptedSoundMenu::isMenuOpen() const {
    std::lock_guard lock(mutex_);
    return menuOpen_;
}

std::string ScriptedSoundMenu::selectedOutput() const {
    std::lock_guard lock(mutex_);
    return currentSelection();
}

ScriptedSoundMenu::Counters ScriptedSoundMenu::counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

void ScriptedSoundMenu::resetCounters() {
    std::lock_guard lock(mutex_);
    counters_ = {};
}

std::vector<std::string> ScriptedSoundMenu::postedKeys() const {
    std::lock_guard lock(mutex_);
    return postedKeys_;
}

bool ScriptedSoundMenu::isProcessTrusted() const {
    std::lock_guard lock(mutex_);
    return trusted_;
}

AXElementHandle ScriptedSoundMenu::applicationElement(std::int32_t processIdentifier) {
    std::lock_guard lock(mutex_);
    ++counters_.applicationElements;
    for (const auto& [application, root] : applications_) {
        if (application.processIdentifier == processIdentifier) {
            return handleFor(root);
        }
    }
    // Like the platform, an element for any number; reading it fails.
    return std::make_shared<ScriptedElement>(this, kNoNode);
}

AXElementHandle ScriptedSoundMenu::handleFor(NodeId node) {
    return freshHandles_ ? std::make_shared<ScriptedElement>(this, node) : nodes_[node].handle;
}

std::optional<ScriptedSoundMenu::NodeId> ScriptedSoundMenu::nodeOf(
    const AXElementHandle& element) const {
    const auto* scripted = dynamic_cast<const ScriptedElement*>(element.get());
    if (scripted == nullptr || scripted->owner != this || scripted->node >= nodes_.size()) {
        return std::nullopt;
    }
    return scripted->node;
}

bool ScriptedSoundMenu::visible(const Node& node) const {
    return node.kind != Kind::menuContent ||
           (menuOpen_ && clock_->now() >= openedAt_ + appearAfter_);
}

std::string ScriptedSoundMenu::currentSelection() const {
    if (pendingSelection_ && clock_->now() >= pendingSelection_->second) {
        return pendingSelection_->first;
    }
    return selected_;
}

std::optional<AXAttributeValue> ScriptedSoundMenu::outputValue(const Node& node) const {
    return AXAttributeValue(std::int64_t{node.outputName == currentSelection() ? 1 : 0});
}

AXError ScriptedSoundMenu::copyAttributeValue(const AXElementHandle& element,
                                              std::string_view attribute,
                                              std::optional<AXAttributeValue>& value) {
    std::lock_guard lock(mutex_);
    value.reset();
    if (attribute == "AXChildren") {
        ++counters_.childrenReads;
    } else if (attribute == "AXIdentifier") {
        ++counters_.identifierReads;
    } else if (attribute == "AXRole") {
        ++counters_.roleReads;
    } else if (attribute == "AXValue") {
        ++counters_.valueReads;
    } else {
        ++counters_.otherReads;
    }
    if (!trusted_) {
        return kAXErrorAPIDisabled;
    }
    const auto id = nodeOf(element);
    if (!id) {
        return kAXErrorInvalidUIElement;
    }
    Node& node = nodes_[*id];
    if (const auto failing = node.failingReads.find(attribute);
        failing != node.failingReads.end()) {
        auto& [code, times] = failing->second;
        if (!times || *times > 0) {
            if (times) {
                --*times;
            }
            return code;
        }
    }
    if (attribute == "AXChildren") {
        std::vector<AXElementHandle> children;
        children.reserve(node.children.size());
        for (const NodeId child : node.children) {
            if (visible(nodes_[child])) {
                children.push_back(handleFor(child));
            }
        }
        value = std::move(children);
        return kAXSuccess;
    }
    const std::optional<AXAttributeValue>* stored = nullptr;
    std::optional<AXAttributeValue> computed;
    if (attribute == "AXIdentifier") {
        stored = &node.identifier;
    } else if (attribute == "AXRole") {
        if (node.role) {
            computed = AXAttributeValue(*node.role);
        }
        stored = &computed;
    } else if (attribute == "AXValue") {
        computed = node.kind == Kind::output ? outputValue(node) : node.value;
        stored = &computed;
    } else {
        return kAXErrorAttributeUnsupported;
    }
    if (!stored->has_value()) {
        return kAXErrorNoValue;
    }
    value = *stored;
    return kAXSuccess;
}

AXError ScriptedSoundMenu::performAction(const AXElementHandle& element, std::string_view action) {
    std::lock_guard lock(mutex_);
    ++counters_.presses;
    if (!trusted_) {
        return kAXErrorAPIDisabled;
    }
    const auto id = nodeOf(element);
    if (!id) {
        return kAXErrorInvalidUIElement;
    }
    if (action != "AXPress") {
        return kAXErrorFailure;
    }
    Node& node = nodes_[*id];
    if (node.pressResult.value_or(kAXSuccess) != kAXSuccess) {
        return *node.pressResult;
    }
    if (node.kind == Kind::soundItem) {
        menuOpen_ = true;
        openedAt_ = clock_->now();
        std::erase_if(applications_,
                      [&](const auto& entry) { return quitOnOpen_.contains(entry.second); });
    } else if (node.kind == Kind::output) {
        selected_ = currentSelection();
        pendingSelection_.emplace(node.outputName, clock_->now() + selectionLatency_);
    }
    return kAXSuccess;
}

std::vector<RunningApplication> ScriptedSoundMenu::runningApplications() {
    std::lock_guard lock(mutex_);
    ++counters_.applicationListings;
    std::vector<RunningApplication> result;
    result.reserve(applications_.size());
    for (const auto& entry : applications_) {
        result.push_back(entry.first);
    }
    return result;
}

std::unique_ptr<KeyboardEvent> ScriptedSoundMenu::createKeyboardEvent(std::uint16_t keyCode,
                                                                      bool keyDown) {
    std::lock_guard lock(mutex_);
    if (keyEventsFail_) {
        return nullptr;
    }
    return std::make_unique<ScriptedKey>(keyCode, keyDown);
}

void ScriptedSoundMenu::post(const KeyboardEvent& event) {
    std::lock_guard lock(mutex_);
    const auto* key = dynamic_cast<const ScriptedKey*>(&event);
    if (key == nullptr) {
        return;
    }
    ++counters_.keyEventsPosted;
    postedKeys_.push_back((key->down ? "down " : "up ") + std::to_string(key->code));
    if (key->code != sound_menu::kEscapeKeyCode) {
        return;
    }
    if (key->down) {
        escapeDown_ = true;
    } else if (escapeDown_) {
        escapeDown_ = false;
        menuOpen_ = false;
    }
}

}  // namespace tonvera::testing
