#pragma once

#include <memory>

#include "platform/alerts.h"
#include "platform/localizer.h"

namespace tonvera {

// Alerts as Qt message boxes: every text is shown literally (never as markup, never with
// keyboard accelerators), the box comes to the front, and closing it answers kAlertDismissed.
class QtAlerts final : public Alerts {
  public:
    explicit QtAlerts(std::shared_ptr<Localizer> localizer) : localizer_(std::move(localizer)) {}

    int runModal(const AlertContent& alert) override;

  private:
    std::shared_ptr<Localizer> localizer_;
};

}  // namespace tonvera
