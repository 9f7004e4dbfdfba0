#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/keyboard_events.h"
#include "platform/running_applications.h"

namespace tonvera::testing {

// A stand-in for the system's Sound menu that honours only its accessibility contract: host
// processes among decoys, a Sound item that opens the menu when pressed, output checkboxes
// whose identifier is "sound-device-" + name and whose value is 1 for the selected output,
// and Escape closing the menu. A test builds any scene from nodes and sets latencies and
// faults; every call is counted by kind. Time comes from the injected clock, so entries that
// appear late or a selection that lags behind its press play out in virtual time.
class ScriptedSoundMenu final : public Accessibility,
                                public RunningApplications,
                                public KeyboardEvents {
  public:
    using NodeId = std::size_t;

    struct Counters {
        std::size_t applicationListings = 0;
        std::size_t applicationElements = 0;
        std::size_t childrenReads = 0;
        std::size_t identifierReads = 0;
        std::size_t roleReads = 0;
        std::size_t valueReads = 0;
        std::size_t otherReads = 0;
        std::size_t presses = 0;
        std::size_t keyEventsPosted = 0;

        std::size_t attributeReads() const {
            return childrenReads + identifierReads + roleReads + valueReads + otherReads;
        }
    };

    explicit ScriptedSoundMenu(std::shared_ptr<Clock> clock);

    // Building the scene. Every add appends the node as the last child of `parent`.
    NodeId addApplication(RunningApplication application);
    NodeId addElement(NodeId parent, std::optional<AXAttributeValue> identifier = std::nullopt,
                      std::optional<std::string> role = std::nullopt);
    NodeId addSoundItem(NodeId parent, std::string identifier = "com.apple.menuextra.sound");
    // A container that exists only while the menu is open and its entries have appeared.
    NodeId addMenuContent(NodeId parent);
    NodeId addOutput(NodeId parent, const std::string& name, std::string role = "AXCheckBox");
    // Another edge to an existing node: a subtree reachable twice, or a cycle.
    void link(NodeId parent, NodeId child);
    void setValue(NodeId node, std::optional<AXAttributeValue> value);

    // Behaviour.
    void setTrusted(bool trusted);
    void selectOutput(const std::string& name);
    void setEntriesAppearAfter(Clock::Duration delay);
    void setSelectionLatency(Clock::Duration latency);
    // A press of `node` fails with `code` and does nothing; 0 restores the normal behaviour.
    void setPressResult(NodeId node, AXError code);
    // Reads of `attribute` on `node` fail with `code`: always, or only the next `times` reads.
    void failReads(NodeId node, const std::string& attribute, AXError code,
                   std::optional<int> times = std::nullopt);
    void quitOnMenuOpen(NodeId application);
    void setFreshHandles(bool fresh);
    void setKeyEventCreationFails(bool fails);

    // Observation.
    bool isMenuOpen() const;
    std::string selectedOutput() const;
    Counters counters() const;
    void resetCounters();
    std::vector<std::string> postedKeys() const;

    // Accessibility
    bool isProcessTrusted() const override;
    AXElementHandle applicationElement(std::int32_t processIdentifier) override;
    AXError copyAttributeValue(const AXElementHandle& element, std::string_view attribute,
                               std::optional<AXAttributeValue>& value) override;
    AXError performAction(const AXElementHandle& element, std::string_view action) override;

    // RunningApplications
    std::vector<RunningApplication> runningApplications() override;

    // KeyboardEvents
    std::unique_ptr<KeyboardEvent> createKeyboardEvent(std::uint16_t keyCode,
                                                       bool keyDown) override;
    void post(const KeyboardEvent& event) override;

  private:
    enum class Kind { plain, application, soundItem, menuContent, output };

    struct Node {
        Kind kind = Kind::plain;
        std::optional<AXAttributeValue> identifier;
        std::optional<std::string> role;
        std::optional<AXAttributeValue> value;
        std::string outputName;
        std::vector<NodeId> children;
        std::optional<AXError> pressResult;
        std::map<std::string, std::pair<AXError, std::optional<int>>, std::less<>> failingReads;
        AXElementHandle handle;
    };

    NodeId addNode(std::optional<NodeId> parent, Kind kind,
                   std::optional<AXAttributeValue> identifier, std::optional<std::string> role,
                   std::string outputName = {});
    AXElementHandle handleFor(NodeId node);
    std::optional<NodeId> nodeOf(const AXElementHandle& element) const;
    bool visible(const Node& node) const;
    std::string currentSelection() const;
    std::optional<AXAttributeValue> outputValue(const Node& node) const;

    std::shared_ptr<Clock> clock_;
    mutable std::mutex mutex_;
    std::vector<Node> nodes_;
    std::vector<std::pair<RunningApplication, NodeId>> applications_;
    std::set<NodeId> quitOnOpen_;
    bool trusted_ = true;
    bool menuOpen_ = false;
    Clock::TimePoint openedAt_{};
    Clock::Duration appearAfter_{};
    Clock::Duration selectionLatency_{};
    std::string selected_;
    std::optional<std::pair<std::string, Clock::TimePoint>> pendingSelection_;
    bool freshHandles_ = false;
    bool keyEventsFail_ = false;
    bool escapeDown_ = false;
    Counters counters_;
    std::vector<std::string> postedKeys_;
};

}  // namespace tonvera::testing
