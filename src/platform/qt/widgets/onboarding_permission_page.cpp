#include "platform/qt/widgets/onboarding_permission_page.h"

#include "platform/qt/widgets/onboarding_page_parts.h"
#include "platform/qt/widgets/pill_button.h"
#include "platform/qt/widgets/rounded_card.h"
#include "platform/qt/widgets/status_dot.h"
#include "platform/qt/widgets/symbol_badge.h"
#include "ui/onboarding_view.h"

namespace tonvera {
namespace {

constexpr std::array kStepSymbols = {"1.circle.fill", "2.circle.fill", "3.circle.fill"};

}  // namespace

OnboardingPermissionPage::OnboardingPermissionPage(OnboardingView& view, QWidget* parent)
    : QWidget(parent) {
    auto* page = makeColumn(metrics::kOnboardingPageSpacing);
    setLayout(page);

    title_ = makeLabel(TextStyle::headline);
    introduction_ = makeLabel(TextStyle::callout, QFont::Normal, true);
    page->addWidget(title_);
    page->addWidget(introduction_);

    statusCard_ = new RoundedCard(metrics::kStatusCardRadius);
    statusCard_->setObjectName(QStringLiteral("permissionStatus"));
    auto* status = makeRow(12);
    status->setContentsMargins(metrics::kStatusCardPadding, metrics::kStatusCardPadding,
                               metrics::kStatusCardPadding, metrics::kStatusCardPadding);
    statusIcon_ = new SymbolBadge(QSize(metrics::kStatusIcon, metrics::kStatusIcon),
                                  SymbolBadge::Shape::circle);
    statusIcon_->setObjectName(QStringLiteral("permissionIcon"));
    status->addWidget(statusIcon_);
    auto* statusText = makeColumn(2);
    statusTitle_ = makeLabel(TextStyle::callout, QFont::Bold);
    statusExplanation_ = makeLabel(TextStyle::caption, QFont::Normal, true);
    statusText->addWidget(statusTitle_);
    statusText->addWidget(statusExplanation_);
    status->addLayout(statusText, 1);
    status->setAlignment(statusText, Qt::AlignVCenter);
    statusDot_ = new StatusDot(true);
    status->addWidget(statusDot_);
    statusCard_->setLayout(status);
    page->addWidget(statusCard_);

    instructions_ = new RoundedCard(metrics::kCardRadius);
    instructions_->setObjectName(QStringLiteral("permissionInstructions"));
    auto* instructions = makeColumn(8);
    instructions->setContentsMargins(metrics::kCardPadding, metrics::kCardPadding,
                                     metrics::kCardPadding, metrics::kCardPadding);
    instructionsHeading_ = makeLabel(TextStyle::caption, QFont::Bold);
    instructions->addWidget(instructionsHeading_);
    auto* lines = makeColumn(4);
    const int symbol = symbolSizeFor(TextStyle::caption);
    for (std::size_t i = 0; i < stepTexts_.size(); ++i) {
        auto* line = makeRow(6);
        stepSymbols_.at(i) = new SymbolBadge(QSize(symbol, symbol));
        stepTexts_.at(i) = makeLabel(TextStyle::caption, QFont::Normal, true);
        line->addWidget(stepSymbols_.at(i), 0, Qt::AlignTop);
        line->addWidget(stepTexts_.at(i), 1);
        lines->addLayout(line);
    }
    instructions->addLayout(lines);
    instructions_->setLayout(instructions);
    page->addWidget(instructions_);

    auto* buttons = makeRow(10);
    openSettings_ = new PillButton(PillButton::Kind::prominent, PillButton::Size::regular);
    openSettings_->setObjectName(QStringLiteral("openAccessibilitySettings"));
    openSettings_->setSymbol("gearshape.2");
    checkAgain_ = new PillButton(PillButton::Kind::bordered, PillButton::Size::regular);
    checkAgain_->setObjectName(QStringLiteral("checkPermissionAgain"));
    checkAgain_->setSymbol("arrow.clockwise");
    buttons->addWidget(openSettings_, 0, Qt::AlignVCenter);
    buttons->addWidget(checkAgain_, 0, Qt::AlignVCenter);
    buttons->addStretch();
    page->addLayout(buttons);

    detected_ = new QWidget;
    detected_->setObjectName(QStringLiteral("permissionDetected"));
    auto* detected = makeRow(5);
    detectedSymbol_ = new SymbolBadge(QSize(symbol, symbol));
    detectedText_ = makeLabel(TextStyle::caption, QFont::Normal, true);
    detected->addWidget(detectedSymbol_);
    detected->addWidget(detectedText_, 1);
    detected_->setLayout(detected);
    page->addWidget(detected_);

    connect(openSettings_, &PillButton::clicked, this,
            [&view] { view.openAccessibilitySettings(); });
    connect(checkAgain_, &PillButton::clicked, this, [&view] { view.checkPermission(); });
}

void OnboardingPermissionPage::render(const OnboardingView& view) {
    const Palette palette = Palette::current();
    const OnboardingTexts& texts = view.texts();
    const bool granted = view.permissionGranted();
    const NamedColor statusName = granted ? NamedColor::success : NamedColor::warning;
    const QColor status = palette.color(statusName);
    const QColor gray = palette.color(NamedColor::gray);

    setLabelText(*title_, texts.permissionTitle);
    setLabelText(*introduction_, texts.permissionIntroduction);
    setTextColor(*introduction_, gray);

    statusCard_->setColors(palette.color(statusName, 0.06),
                           palette.color(statusName, granted ? 0.30 : 0.35));
    statusIcon_->setBackground(palette.color(statusName, 0.15));
    statusIcon_->setSymbol(granted ? "checkmark.shield.fill" : "exclamationmark.shield.fill",
                           symbolSizeFor(TextStyle::title3), status);
    setLabelText(*statusTitle_, granted ? texts.permissionGranted : texts.permissionMissing);
    setTextColor(*statusTitle_, status);
    setLabelText(*statusExplanation_,
                 granted ? texts.permissionGrantedExplanation : texts.permissionMissingExplanation);
    setTextColor(*statusExplanation_, gray);
    statusDot_->setColor(status);

    instructions_->setVisible(!granted);
    instructions_->setColors(palette.color(NamedColor::cardBackground));
    setLabelText(*instructionsHeading_, texts.howToEnable);
    const std::array<const std::string*, 3> steps = {&texts.howToStep1, &texts.howToStep2,
                                                     &texts.howToStep3};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        stepSymbols_.at(i)->setSymbol(kStepSymbols.at(i), symbolSizeFor(TextStyle::caption), gray);
        setLabelText(*stepTexts_.at(i), *steps.at(i));
        setTextColor(*stepTexts_.at(i), gray);
    }

    openSettings_->setLabel(qText(texts.openAccessibilitySettings));
    checkAgain_->setLabel(qText(texts.checkAgain));
    checkAgain_->setVisible(!granted);

    detected_->setVisible(granted);
    const QColor success = palette.color(NamedColor::success);
    detectedSymbol_->setSymbol("checkmark.circle.fill", symbolSizeFor(TextStyle::caption), success);
    setLabelText(*detectedText_, texts.detectedAutomatically);
    setTextColor(*detectedText_, success);
}

}  // namespace tonvera
