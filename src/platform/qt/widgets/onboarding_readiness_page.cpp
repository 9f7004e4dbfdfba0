#include "platform/qt/widgets/onboarding_readiness_page.h"

#include "platform/qt/widgets/onboarding_page_parts.h"
#include "platform/qt/widgets/pill_button.h"
#include "platform/qt/widgets/rounded_card.h"
#include "platform/qt/widgets/status_mark.h"
#include "platform/qt/widgets/symbol_badge.h"
#include "ui/onboarding_view.h"

namespace tonvera {
namespace {

constexpr std::array kPartNames = {"readinessTray", "readinessSound", "readinessWake"};
constexpr int kSoundPart = 1;

}  // namespace

OnboardingReadinessPage::OnboardingReadinessPage(OnboardingView& view, QWidget* parent)
    : QWidget(parent) {
    auto* page = makeColumn(metrics::kOnboardingSpeakerSpacing);
    setLayout(page);
    title_ = makeLabel(TextStyle::headline);
    introduction_ = makeLabel(TextStyle::callout, QFont::Normal, true);
    page->addWidget(title_);
    page->addWidget(introduction_);

    openSoundSettings_ = new PillButton(PillButton::Kind::bordered, PillButton::Size::small);
    openSoundSettings_->setObjectName(QStringLiteral("openSoundSettings"));
    openSoundSettings_->setSymbol("switch.2");
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        Part& part = parts_.at(i);
        part.card = new RoundedCard(metrics::kCardRadius);
        part.card->setObjectName(QString::fromLatin1(kPartNames.at(i)));
        auto* row = makeRow(10);
        row->setContentsMargins(metrics::kCardPadding, metrics::kCardPadding, metrics::kCardPadding,
                                metrics::kCardPadding);
        part.mark = new StatusMark(symbolSizeFor(TextStyle::callout));
        part.mark->setObjectName(QString::fromLatin1(kPartNames.at(i)) + QStringLiteral("Mark"));
        row->addWidget(part.mark, 0, Qt::AlignTop);
        auto* text = makeColumn(2);
        part.title = makeLabel(TextStyle::callout, QFont::Bold);
        part.state = makeLabel(TextStyle::caption, QFont::Normal, true);
        part.state->setObjectName(QString::fromLatin1(kPartNames.at(i)) + QStringLiteral("State"));
        part.state->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->addWidget(part.title);
        text->addWidget(part.state);
        if (static_cast<int>(i) == kSoundPart) {
            text->addSpacing(4);
            text->addWidget(openSoundSettings_, 0, Qt::AlignLeft);
        }
        row->addLayout(text, 1);
        part.card->setLayout(row);
        page->addWidget(part.card);
    }

    auto* buttons = makeRow(10);
    checkAgain_ = new PillButton(PillButton::Kind::bordered, PillButton::Size::regular);
    checkAgain_->setObjectName(QStringLiteral("checkReadinessAgain"));
    checkAgain_->setSymbol("arrow.clockwise");
    buttons->addWidget(checkAgain_);
    buttons->addStretch();
    page->addLayout(buttons);

    auto* summary = makeRow(6);
    const int symbol = symbolSizeFor(TextStyle::caption);
    summarySymbol_ = new SymbolBadge(QSize(symbol, symbol));
    summary_ = makeLabel(TextStyle::caption, QFont::Normal, true);
    summary_->setObjectName(QStringLiteral("readinessSummary"));
    summary->addWidget(summarySymbol_, 0, Qt::AlignTop);
    summary->addWidget(summary_, 1);
    page->addLayout(summary);

    connect(openSoundSettings_, &PillButton::clicked, this, [&view] { view.openSoundSettings(); });
    connect(checkAgain_, &PillButton::clicked, this, [&view] { view.checkReadiness(); });
}

void OnboardingReadinessPage::render(const OnboardingView& view) {
    const Palette palette = Palette::current();
    const ReadinessTexts& texts = view.readinessTexts();
    const QColor gray = palette.color(NamedColor::gray);
    const auto report = view.readinessReport();

    setLabelText(*title_, texts.title);
    setLabelText(*introduction_, texts.introduction);
    setTextColor(*introduction_, gray);

    struct Shown {
        const std::string* title;
        bool ready;
        const std::string* readyText;
        const std::string* missingText;
    };
    const std::array<Shown, 3> shown = {{
        {&texts.trayTitle, report && report->trayHost, &texts.trayReady, &texts.trayMissing},
        {&texts.soundTitle, report && report->soundServer, &texts.soundReady, &texts.soundMissing},
        {&texts.wakeTitle, report && report->systemBus, &texts.wakeReady, &texts.wakeMissing},
    }};
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        const Part& part = parts_.at(i);
        const Shown& state = shown.at(i);
        part.card->setColors(palette.color(NamedColor::cardBackground),
                             report && !state.ready ? palette.color(NamedColor::warning, 0.6)
                                                    : QColor(Qt::transparent));
        part.mark->setState(!report       ? StatusMark::State::pending
                            : state.ready ? StatusMark::State::success
                                          : StatusMark::State::warning);
        setLabelText(*part.title, *state.title);
        setLabelText(*part.state, !report       ? texts.checking
                                  : state.ready ? *state.readyText
                                                : *state.missingText);
        setTextColor(*part.state, gray);
    }
    openSoundSettings_->setLabel(qText(texts.openSoundSettings));
    openSoundSettings_->setVisible(report && !report->soundServer);
    checkAgain_->setLabel(qText(texts.checkAgain));
    checkAgain_->setBusy(view.isCheckingReadiness());

    const bool allReady = report && report->allReady();
    summarySymbol_->setVisible(report.has_value());
    summary_->setVisible(report.has_value());
    const QColor summaryColor = allReady ? palette.color(NamedColor::success) : gray;
    summarySymbol_->setSymbol(allReady ? "checkmark.circle.fill" : "info.circle",
                              symbolSizeFor(TextStyle::caption), summaryColor);
    setLabelText(*summary_, allReady ? texts.allReady : texts.continueAnyway);
    setTextColor(*summary_, summaryColor);
}

}  // namespace tonvera
