#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/accessibility.h"
#include "platform/running_applications.h"
#include "platform/workspace.h"

namespace tonvera {

// The elements one search has entered, by handle identity. Holding the handles keeps their
// addresses from being reused by new handles during the search.
using VisitedSet = std::unordered_set<AXElementHandle>;

// Stateless access to other processes' user interface: the permission check, a process's
// application element, attribute reads, bounded tree searches, and the settings openers.
// Reads never throw: a failed read is an absent value.
class AccessibilityHelper {
  public:
    // The root is level 0; a search examines at most 64 levels.
    static constexpr int maxSearchDepth = 63;

    using Predicate = std::function<bool(const AXElementHandle&)>;

    AccessibilityHelper(std::shared_ptr<Accessibility> accessibility,
                        std::shared_ptr<RunningApplications> applications,
                        std::shared_ptr<Workspace> workspace);

    // Whether the permission is granted, asked without the system's prompt.
    bool isTrusted() const;

    // The application element of the first running application whose bundle identifier,
    // executable name or localized name matches `processName`; null when none does.
    AXElementHandle applicationElement(std::string_view processName) const;

    std::optional<AXAttributeValue> attributeValue(const AXElementHandle& element,
                                                   std::string_view attribute) const;

    // The element's children in order; empty when the read fails or is not a list of elements.
    std::vector<AXElementHandle> children(const AXElementHandle& element) const;

    // The "AXIdentifier" of the element when it is a string.
    std::optional<std::string> identifier(const AXElementHandle& element) const;

    // The first element, depth-first pre-order, whose identifier is canonically equal to
    // `identifier`; null when there is none within the depth bound.
    AXElementHandle findElement(const AXElementHandle& root, std::string_view identifier, int depth,
                                VisitedSet& visited) const;

    // Appends, depth-first pre-order, every element within the depth bound that satisfies
    // `predicate`; each handle at most once.
    void collectElements(const AXElementHandle& root, const Predicate& predicate, int depth,
                         VisitedSet& visited, std::vector<AXElementHandle>& result) const;

    bool identifierHasPrefix(const AXElementHandle& element, std::string_view prefix) const;

    // Performs `action` on the element; returns the platform's code (0 = success).
    AXError performAction(const AXElementHandle& element, std::string_view action) const;

    // True when "AXValue" is the number 1 or the boolean true.
    bool isSelected(const AXElementHandle& element) const;

    // Opens the menu-bar settings (falling back to control centre, then sound, then the
    // settings application itself).
    void openMenuBarSettings() const;

    // Opens the privacy pane where the accessibility permission is granted.
    void openAccessibilitySettings() const;

  private:
    void openFirst(const std::vector<std::string_view>& addresses) const;

    std::shared_ptr<Accessibility> accessibility_;
    std::shared_ptr<RunningApplications> applications_;
    std::shared_ptr<Workspace> workspace_;
};

}  // namespace tonvera
