#include "reconnect/failure_ranking.h"

#include <string>

#include "reconnect/permission_error.h"
#include "selection/accessibility_error.h"
#include "selection/error_description.h"
#include "selection/output_selection_error.h"
#include "selection/unicode_text.h"

namespace tonvera {
namespace {

FailureRank rankOf(const AccessibilityError& error) {
    switch (error.errorCase()) {
        case AccessibilityError::Case::deviceNotFound:
            return FailureRank::notThere;
        case AccessibilityError::Case::timeout:
            return FailureRank::timedOut;
        default:
            return FailureRank::other;
    }
}

FailureRank rankOf(const OutputSelectionError& error) {
    switch (error.cause()) {
        case OutputSelectionError::Cause::noSoundServer:
            return FailureRank::noSoundServer;
        case OutputSelectionError::Cause::notFound:
            return FailureRank::notThere;
        case OutputSelectionError::Cause::timedOut:
            return FailureRank::timedOut;
        case OutputSelectionError::Cause::failed:
            break;
    }
    return FailureRank::other;
}

}  // namespace

FailureRank rankFailure(const std::exception_ptr& error) {
    // The same test that ends a run: a failure that speaks of a refused access outranks all.
    const std::string lowered = unicode_text::lowercased(describeError(error));
    const auto unlessPermission = [&](const AccessibilityError* caught, FailureRank rank) {
        return isPermissionError(caught, lowered) ? FailureRank::permissionMissing : rank;
    };
    try {
        std::rethrow_exception(error);
    } catch (const AccessibilityError& caught) {
        return unlessPermission(&caught, rankOf(caught));
    } catch (const OutputSelectionError& caught) {
        return unlessPermission(nullptr, rankOf(caught));
    } catch (...) {
        return unlessPermission(nullptr, FailureRank::other);
    }
}

const std::exception_ptr& mostTellingFailure(const std::exception_ptr& primary,
                                             const std::exception_ptr& fallback) {
    return rankFailure(primary) < rankFailure(fallback) ? primary : fallback;
}

}  // namespace tonvera
