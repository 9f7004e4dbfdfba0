#include "platform/qt/widgets/onboarding_welcome_page.h"

#include "platform/qt/widgets/app_icon.h"
#include "platform/qt/widgets/onboarding_page_parts.h"
#include "platform/qt/widgets/rounded_card.h"
#include "platform/qt/widgets/switch_toggle.h"
#include "platform/qt/widgets/symbol_badge.h"
#include "ui/onboarding_view.h"

namespace tonvera {
namespace {

constexpr std::array kFeatureSymbols = {"moon.zzz.fill", "person.fill.checkmark", "waveform"};
constexpr int kFeatureSymbolSlot = 20;

}  // namespace

OnboardingWelcomePage::OnboardingWelcomePage(OnboardingView& view, QWidget* parent)
    : QWidget(parent) {
    auto* page = makeColumn(metrics::kOnboardingPageSpacing);
    setLayout(page);

    auto* header = makeRow(12);
    // The application's own icon, the picture its launcher and the Settings window show.
    tile_ = new QLabel;
    tile_->setObjectName(QStringLiteral("appIcon"));
    tile_->setFixedSize(metrics::kAppIconTile, metrics::kAppIconTile);
    tile_->setPixmap(appIconPixmap(metrics::kAppIconTile, metrics::kAppIconTileRadius,
                                   tile_->devicePixelRatioF()));
    header->addWidget(tile_);
    auto* names = makeColumn(2);
    appName_ = makeLabel(TextStyle::title3, QFont::Bold);
    tagline_ = makeLabel(TextStyle::subheadline);
    names->addWidget(appName_);
    names->addWidget(tagline_);
    header->addLayout(names);
    header->setAlignment(names, Qt::AlignVCenter);
    header->addStretch();
    page->addLayout(header);

    introduction_ = makeLabel(TextStyle::callout, QFont::Normal, true);
    page->addWidget(introduction_);

    auto* featureList = makeColumn(10);
    featureList->setContentsMargins(0, 4, 0, 0);
    for (auto& feature : features_) {
        auto* row = makeRow(10);
        feature.symbol = new SymbolBadge(QSize(kFeatureSymbolSlot, symbolSizeFor(TextStyle::body)));
        feature.symbol->setVerticalOffset(2);
        row->addWidget(feature.symbol, 0, Qt::AlignTop);
        auto* text = makeColumn(2);
        feature.title = makeLabel(TextStyle::callout, QFont::Bold);
        feature.description = makeLabel(TextStyle::caption, QFont::Normal, true);
        text->addWidget(feature.title);
        text->addWidget(feature.description);
        row->addLayout(text, 1);
        featureList->addLayout(row);
    }
    page->addLayout(featureList);

    reconnectCard_ = new RoundedCard(metrics::kCardRadius);
    auto* reconnect = makeColumn(8);
    reconnect->setContentsMargins(metrics::kCardPadding, metrics::kCardPadding,
                                  metrics::kCardPadding, metrics::kCardPadding);
    reconnectHeading_ = makeLabel(TextStyle::caption, QFont::Bold);
    connectOnWake_ = new SwitchToggle;
    connectOnWake_->setObjectName(QStringLiteral("connectOnWake"));
    connectAtLogin_ = new SwitchToggle;
    connectAtLogin_->setObjectName(QStringLiteral("connectAtLogin"));
    reconnect->addWidget(reconnectHeading_);
    reconnect->addWidget(connectOnWake_);
    reconnect->addWidget(connectAtLogin_);
    reconnectCard_->setLayout(reconnect);
    page->addWidget(reconnectCard_);

    compatibilityCard_ = new RoundedCard(metrics::kCardRadius);
    auto* compatibility = makeRow(8);
    compatibility->setContentsMargins(metrics::kNotePadding, metrics::kNotePadding,
                                      metrics::kNotePadding, metrics::kNotePadding);
    const int captionSymbol = symbolSizeFor(TextStyle::caption);
    compatibilitySymbol_ = new SymbolBadge(QSize(captionSymbol, captionSymbol));
    compatibility_ = makeLabel(TextStyle::caption, QFont::Normal, true);
    compatibility->addWidget(compatibilitySymbol_);
    compatibility->addWidget(compatibility_, 1);
    compatibilityCard_->setLayout(compatibility);
    page->addWidget(compatibilityCard_);

    // clicked() comes from the user only; the redraw's setChecked() writes nothing back.
    connect(connectOnWake_, &SwitchToggle::clicked, this,
            [&view](bool on) { view.setConnectOnWake(on); });
    connect(connectAtLogin_, &SwitchToggle::clicked, this,
            [&view](bool on) { view.setConnectAtLogin(on); });
}

void OnboardingWelcomePage::render(const OnboardingView& view) {
    const Palette palette = Palette::current();
    const OnboardingTexts& texts = view.texts();
    const QColor gray = palette.color(NamedColor::gray);
    const QColor accent = palette.color(NamedColor::accent);

    setLabelText(*appName_, texts.appName);
    setLabelText(*tagline_, texts.tagline);
    setTextColor(*tagline_, gray);
    setLabelText(*introduction_, texts.introduction);
    setTextColor(*introduction_, gray);

    const std::array<std::pair<const std::string*, const std::string*>, 3> featureTexts = {{
        {&texts.afterSleepTitle, &texts.afterSleepDescription},
        {&texts.atLoginTitle, &texts.atLoginDescription},
        {&texts.backgroundTitle, &texts.backgroundDescription},
    }};
    for (std::size_t i = 0; i < features_.size(); ++i) {
        const auto& feature = features_.at(i);
        feature.symbol->setSymbol(kFeatureSymbols.at(i), symbolSizeFor(TextStyle::callout), accent);
        setLabelText(*feature.title, *featureTexts.at(i).first);
        setLabelText(*feature.description, *featureTexts.at(i).second);
        setTextColor(*feature.description, gray);
    }

    reconnectCard_->setColors(palette.color(NamedColor::cardBackground));
    setLabelText(*reconnectHeading_, texts.reconnectHeading);
    setTextColor(*reconnectHeading_, gray);
    connectOnWake_->setLabel(qText(texts.connectOnWake));
    connectOnWake_->setChecked(view.connectOnWake());
    connectAtLogin_->setLabel(qText(texts.connectAtLogin));
    connectAtLogin_->setChecked(view.connectAtLogin());

    compatibilityCard_->setColors(palette.color(NamedColor::cardBackground));
    compatibilitySymbol_->setSymbol("info.circle", symbolSizeFor(TextStyle::caption), gray);
    setLabelText(*compatibility_, texts.compatibility);
    setTextColor(*compatibility_, gray);
}

}  // namespace tonvera
