#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/alerts.h"

namespace tonvera::testing {

// Records every alert and answers with the codes the test queued, in order; when none is
// queued it answers the first button (the standard OK).
class RecordingAlerts final : public Alerts {
  public:
    int runModal(const AlertContent& alert) override {
        std::function<void()> whileShown;
        int answer = kAlertFirstButtonReturn;
        {
            std::lock_guard lock(mutex_);
            shown_.push_back(alert);
            if (!answers_.empty()) {
                answer = answers_.front();
                answers_.pop_front();
            }
            whileShown = whileShown_;
        }
        if (whileShown) {
            whileShown();
        }
        return answer;
    }

    void answerNext(int code) {
        std::lock_guard lock(mutex_);
        answers_.push_back(code);
    }

    // Runs while each alert is shown, as the nested event loop of a modal alert would.
    void setWhileShown(std::function<void()> action) {
        std::lock_guard lock(mutex_);
        whileShown_ = std::move(action);
    }

    std::vector<AlertContent> shown() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }

  private:
    mutable std::mutex mutex_;
    std::deque<int> answers_;
    std::vector<AlertContent> shown_;
    std::function<void()> whileShown_;
};

}  // namespace tonvera::testing
