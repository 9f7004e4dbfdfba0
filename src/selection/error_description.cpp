#include "selection/error_description.h"

#include "selection/accessibility_error.h"

namespace tonvera {

std::string describeError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const AccessibilityError& accessibilityError) {
        return accessibilityError.errorDescription();
    } catch (const std::exception& other) {
        return other.what();
    } catch (...) {
        return "The operation couldn’t be completed (unknown error).";
    }
}

}  // namespace tonvera
