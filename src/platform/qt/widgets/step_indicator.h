#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>

namespace tonvera {

// The row of numbered markers joined by short bars above the onboarding pages: steps before
// the current one carry a check mark, the current one is filled and labelled in bold.
class StepIndicator final : public QWidget {
    Q_OBJECT

  public:
    explicit StepIndicator(QWidget* parent = nullptr);

    void setSteps(const QStringList& labels, std::int64_t current);
    std::int64_t currentStep() const { return current_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int labelWidth(int index) const;
    int contentWidth() const;

    QStringList labels_;
    std::int64_t current_ = 0;
};

}  // namespace tonvera
