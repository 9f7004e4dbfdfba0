#include "platform/qt/widgets/step_indicator.h"

#include <QPainter>

#include "platform/qt/widgets/palette.h"
#include "platform/qt/widgets/pill_button.h"
#include "platform/qt/widgets/symbols.h"

namespace tonvera {
namespace {

constexpr int kMarkerLabelGap = 6;
constexpr int kNeighbourGap = 8;

QFont labelFont(bool current) {
    return Palette::font(TextStyle::caption, current ? QFont::DemiBold : QFont::Normal);
}

}  // namespace

StepIndicator::StepIndicator(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void StepIndicator::setSteps(const QStringList& labels, std::int64_t current) {
    if (labels == labels_ && current == current_) {
        return;
    }
    labels_ = labels;
    current_ = current;
    updateGeometry();
    update();
}

int StepIndicator::labelWidth(int index) const {
    // Measured in the wider (semibold) face, so the row does not shift between steps.
    return QFontMetrics(labelFont(true)).horizontalAdvance(labels_.at(index));
}

int StepIndicator::contentWidth() const {
    int width = 0;
    for (int i = 0; i < labels_.size(); ++i) {
        if (i > 0) {
            width += 2 * kNeighbourGap + metrics::kStepBarWidth;
        }
        width += metrics::kStepMarker + kMarkerLabelGap + labelWidth(i);
    }
    return width;
}

QSize StepIndicator::sizeHint() const {
    const int labelHeight = QFontMetrics(labelFont(true)).height();
    return {contentWidth() + 2 * metrics::kStepIndicatorPadding,
            std::max(metrics::kStepMarker, labelHeight) + 2 * metrics::kStepIndicatorPadding};
}

void StepIndicator::paintEvent(QPaintEvent* /*event*/) {
    const Palette palette = Palette::current();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double middle = height() / 2.0;
    double x = (width() - contentWidth()) / 2.0;
    for (int i = 0; i < labels_.size(); ++i) {
        if (i > 0) {
            x += kNeighbourGap;
            const bool passed = i - 1 < current_;
            painter.setPen(Qt::NoPen);
            painter.setBrush(passed ? palette.color(NamedColor::accent)
                                    : palette.color(NamedColor::gray, 0.25));
            painter.drawRect(QRectF(x, middle - metrics::kStepBarHeight / 2.0,
                                    metrics::kStepBarWidth, metrics::kStepBarHeight));
            x += metrics::kStepBarWidth + kNeighbourGap;
        }
        const QRectF circle(x, middle - metrics::kStepMarker / 2.0, metrics::kStepMarker,
                            metrics::kStepMarker);
        painter.setPen(Qt::NoPen);
        painter.setBrush(i <= current_ ? prominentFill(palette)
                                       : palette.color(NamedColor::gray, 0.12));
        painter.drawEllipse(circle);
        const QFont markFont = Palette::font(TextStyle::caption2, QFont::Bold);
        if (i < current_) {
            const int size = QFontMetrics(markFont).height();
            const QPixmap check = symbolPixmap("checkmark", size, Qt::white);
            if (!check.isNull()) {
                painter.drawPixmap(QRectF(circle.center().x() - size / 2.0,
                                          circle.center().y() - size / 2.0, size, size),
                                   check, QRectF(check.rect()));
            }
        } else {
            painter.setFont(markFont);
            painter.setPen(i == current_ ? QColor(Qt::white) : palette.color(NamedColor::gray));
            painter.drawText(circle, Qt::AlignCenter, QString::number(i + 1));
        }
        x += metrics::kStepMarker + kMarkerLabelGap;

        const bool isCurrent = i == current_;
        painter.setFont(labelFont(isCurrent));
        painter.setPen(isCurrent ? palette.primaryText() : palette.color(NamedColor::gray));
        painter.drawText(QRectF(x, 0, labelWidth(i) + 1, height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, labels_.at(i));
        x += labelWidth(i);
    }
}

}  // namespace tonvera
