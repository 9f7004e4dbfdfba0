#include "platform/qt/widgets/compact_button.h"

#include <QFontMetrics>

#include "platform/qt/widgets/palette.h"

namespace tonvera {

CompactButton::CompactButton(QWidget* parent) : QPushButton(parent) {
    setFont(Palette::font(TextStyle::caption));
    setAutoDefault(false);
}

QSize CompactButton::sizeHint() const {
    ensurePolished();
    const QSize label = fontMetrics().size(Qt::TextShowMnemonic, text());
    int width = label.width() + 2 * metrics::kCompactButtonPaddingX;
    int height = label.height() + 2 * metrics::kCompactButtonPaddingY;
    if (!icon().isNull()) {
        width += iconSize().width() + metrics::kBadgeSpacing;
        height = std::max(height, iconSize().height() + 2 * metrics::kCompactButtonPaddingY);
    }
    return {width, height};
}

}  // namespace tonvera
