#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace tonvera {

// The application's named colours, each with a light and a dark value.
enum class NamedColor {
    accent,          // "AccentColor": current step, highlights, prominent buttons
    gray,            // "AppGray": secondary text and inactive marks
    success,         // "AppSuccess"
    warning,         // "AppWarning"
    cardBackground,  // "AppCardBackground": background of cards
};

// The platform's text styles, mapped onto sizes relative to the desktop's own font.
enum class TextStyle {
    caption2,
    caption,
    footnote,
    subheadline,
    callout,
    body,
    headline,
    title3,
    title
};

// One place for colours, fonts and sizes; the windows take every value from here.
class Palette {
  public:
    // The palette that matches the desktop's colour scheme (dark when its window colour is).
    static Palette current();
    static Palette light() { return Palette(false); }
    static Palette dark() { return Palette(true); }

    bool isDark() const { return dark_; }
    QColor color(NamedColor name) const;
    // `name` at `opacity` (0 … 1).
    QColor color(NamedColor name, double opacity) const;
    // The standard label colour for primary text.
    QColor primaryText() const;
    // Thin lines between sections: a quiet line that reads on the window's background.
    QColor separator() const;
    // The outline of a control (bordered button, text field, switch off): 3:1 against the
    // backgrounds it sits on.
    QColor controlEdge() const;
    // The inside of text fields and lists.
    QColor fieldBackground() const;
    // The fill of prominent buttons and current-step marks, with white text 4.5:1 on it.
    QColor prominentFill() const;
    // The outline around that fill: on dark backgrounds no fill can carry white text and also
    // stand 3:1 off the background, so there a lighter accent outlines it.
    QColor prominentEdge() const;

    static QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);

  private:
    explicit Palette(bool dark) : dark_(dark) {}

    bool dark_;
};

// Sizes in device-independent pixels, shared by both windows.
namespace metrics {
inline constexpr int kOnboardingWidth = 560;
inline constexpr int kOnboardingHeight = 540;
inline constexpr int kCardRadius = 8;
inline constexpr int kCardPadding = 12;
inline constexpr int kStatusDot = 10;
// Every control a pointer can press is at least this tall and wide (WCAG 2.2, 2.5.8).
inline constexpr int kMinTarget = 24;

// The Settings window: outer padding, the gap between its sections and the gaps inside them.
inline constexpr int kSettingsPadding = 20;
inline constexpr int kSettingsSectionSpacing = 12;
inline constexpr int kSettingsColumnSpacing = 24;
// The switches' labels are longer than anything in the outputs' column.
inline constexpr int kSettingsLeftColumnStretch = 4;
inline constexpr int kSettingsRightColumnStretch = 5;
inline constexpr int kSettingsHeaderSpacing = 10;
inline constexpr int kSettingsGroupSpacing = 6;
inline constexpr int kSettingsSwitchSpacing = 4;
inline constexpr int kSettingsSwitchPadding = 8;
inline constexpr int kSettingsRowSpacing = 8;
inline constexpr int kBadgeSpacing = 6;
inline constexpr int kAppIconSize = 40;
inline constexpr int kAppIconRadius = 9;
// Lists inside a box: padding around the rows and the gap between them.
inline constexpr int kListPaddingX = 8;
inline constexpr int kListPaddingY = 6;
inline constexpr int kListRowSpacing = 4;
}  // namespace metrics

// Sets a widget's text colour through its palette, so the style keeps drawing it.
void setTextColor(QWidget& widget, const QColor& color);

// The onboarding window's frame and pages.
namespace metrics {
inline constexpr int kStepMarker = 26;
inline constexpr int kStepBarWidth = 36;
inline constexpr int kStepBarHeight = 2;
inline constexpr int kStepIndicatorPadding = 12;
inline constexpr int kPagePadding = 24;
inline constexpr int kPagePaddingVertical = 18;
inline constexpr int kButtonBarPaddingHorizontal = 20;
inline constexpr int kButtonBarPaddingVertical = 10;
inline constexpr int kOnboardingPageSpacing = 16;
inline constexpr int kOnboardingSpeakerSpacing = 10;
inline constexpr int kStatusCardRadius = 10;
inline constexpr int kStatusCardPadding = 14;
inline constexpr int kStatusIcon = 44;
inline constexpr int kAppIconTile = 52;
inline constexpr int kAppIconTileRadius = 12;
inline constexpr int kNotePadding = 10;
inline constexpr int kRowRadius = 6;
}  // namespace metrics

}  // namespace tonvera
