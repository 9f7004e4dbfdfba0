#include "platform/qt/widgets/onboarding_speaker_page.h"

#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <utility>

#include "platform/qt/widgets/elided_label.h"
#include "platform/qt/widgets/onboarding_page_parts.h"
#include "platform/qt/widgets/picture_view.h"
#include "platform/qt/widgets/pill_button.h"
#include "platform/qt/widgets/rounded_card.h"
#include "platform/qt/widgets/status_mark.h"
#include "platform/qt/widgets/symbol_badge.h"
#include "ui/onboarding_view.h"

namespace tonvera {
namespace {

void setCardLayout(RoundedCard& card, QBoxLayout* layout, int vertical, int horizontal) {
    layout->setContentsMargins(horizontal, vertical, horizontal, vertical);
    card.setLayout(layout);
}

// The page is drawn compact: with five found outputs it fits the window without scrolling.
constexpr int kTightSpacing = 4;
constexpr int kCardPaddingVertical = 8;
constexpr int kFoundRowPadding = 1;

}  // namespace

OnboardingSpeakerPage::OnboardingSpeakerPage(OnboardingView& view, QString picturePath,
                                             QWidget* parent)
    : QWidget(parent), view_(view), picturePath_(std::move(picturePath)) {
    page_ = makeColumn(metrics::kOnboardingSpeakerSpacing);
    setLayout(page_);

    auto* heading = makeColumn(kTightSpacing);
    title_ = makeLabel(TextStyle::headline);
    introduction_ = makeLabel(TextStyle::callout, QFont::Normal, true);
    heading->addWidget(title_);
    heading->addWidget(introduction_);
    page_->addLayout(heading);

    buildSoundCard(view);
    buildNameSection(view);
    buildSearch(view);

    closingNote_ = new RoundedCard(metrics::kCardRadius);
    auto* closing = makeRow(8);
    const int captionSymbol = symbolSizeFor(TextStyle::caption);
    closingSymbol_ = new SymbolBadge(QSize(captionSymbol, captionSymbol));
    closingText_ = makeLabel(TextStyle::caption, QFont::Normal, true);
    closing->addWidget(closingSymbol_, 0, Qt::AlignTop);
    closing->addWidget(closingText_, 1, Qt::AlignTop);
    setCardLayout(*closingNote_, closing, metrics::kNotePadding / 2, metrics::kNotePadding);
    page_->addWidget(closingNote_);
}

void OnboardingSpeakerPage::buildSoundCard(OnboardingView& view) {
    soundCard_ = new RoundedCard(metrics::kCardRadius);
    soundCard_->setObjectName(QStringLiteral("soundMenuCard"));
    auto* card = makeColumn(8);

    auto* header = makeRow(8);
    soundDot_ = new StatusMark(symbolSizeFor(TextStyle::caption));
    soundDot_->setObjectName(QStringLiteral("soundMenuMark"));
    soundHeading_ = makeLabel(TextStyle::caption, QFont::Bold);
    checkAgain_ = new PillButton(PillButton::Kind::bordered, PillButton::Size::mini);
    checkAgain_->setObjectName(QStringLiteral("checkSoundMenuAgain"));
    // Found, the result fits beside the heading; missing, the steps follow below it.
    soundFound_ = makeLabel(TextStyle::caption);
    soundFound_->setObjectName(QStringLiteral("soundMenuFound"));
    header->addWidget(soundDot_, 0, Qt::AlignVCenter);
    header->addWidget(soundHeading_, 0, Qt::AlignVCenter);
    header->addWidget(soundFound_, 0, Qt::AlignVCenter);
    header->addStretch();
    header->addWidget(checkAgain_, 0, Qt::AlignVCenter);
    card->addLayout(header);

    soundMissing_ = new QWidget;
    soundMissing_->setObjectName(QStringLiteral("soundMenuMissing"));
    auto* missing = makeColumn(8);
    soundMissingText_ = makeLabel(TextStyle::caption, QFont::Normal, true);
    soundPath_ = makeLabel(TextStyle::caption, QFont::Normal, true);
    missing->addWidget(soundMissingText_);
    missing->addWidget(soundPath_);
    pictureBlock_ = new QWidget;
    pictureBlock_->setObjectName(QStringLiteral("soundMenuPicture"));
    auto* picture = makeColumn(4);
    pictureCaption_ = makeLabel(TextStyle::caption2);
    picture_ = new PictureView;
    picture->addWidget(pictureCaption_);
    picture->addWidget(picture_);
    pictureBlock_->setLayout(picture);
    missing->addWidget(pictureBlock_);
    openControlCenter_ = new PillButton(PillButton::Kind::bordered, PillButton::Size::small);
    openControlCenter_->setObjectName(QStringLiteral("openControlCenter"));
    openControlCenter_->setSymbol("switch.2");
    missing->addWidget(openControlCenter_, 0, Qt::AlignLeft);
    soundMissing_->setLayout(missing);
    card->addWidget(soundMissing_);

    setCardLayout(*soundCard_, card, kCardPaddingVertical, metrics::kCardPadding);
    page_->addWidget(soundCard_);

    connect(checkAgain_, &PillButton::clicked, this, [&view] { view.checkSoundMenu(); });
    connect(openControlCenter_, &PillButton::clicked, this,
            [&view] { view.openMenuBarSettings(); });
}

void OnboardingSpeakerPage::buildNameSection(OnboardingView& view) {
    auto* section = makeColumn(kTightSpacing);
    nameHeading_ = makeLabel(TextStyle::caption, QFont::Bold);
    section->addWidget(nameHeading_);

    auto* row = makeRow(8);
    nameField_ = new QLineEdit;
    nameField_->setObjectName(QStringLiteral("deviceName"));
    nameField_->setFont(Palette::font(TextStyle::body));
    test_ = new PillButton(PillButton::Kind::bordered, PillButton::Size::regular);
    test_->setObjectName(QStringLiteral("testConnection"));
    row->addWidget(nameField_, 1, Qt::AlignVCenter);
    row->addWidget(test_, 0, Qt::AlignVCenter);
    section->addLayout(row);

    // One line under the field: the hint on how to write the name, replaced by the status
    // while there is one; it keeps its room, so nothing below it moves.
    auto* statusRow = makeRow(6);
    statusMark_ = new StatusMark(symbolSizeFor(TextStyle::caption));
    statusMark_->setObjectName(QStringLiteral("statusMark"));
    status_ = new ElidedLabel(TextStyle::caption);
    status_->setObjectName(QStringLiteral("statusMessage"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusRow->addWidget(statusMark_, 0, Qt::AlignVCenter);
    statusRow->addWidget(status_, 1);
    section->addLayout(statusRow);
    page_->addLayout(section);

    // textEdited() comes from typing only, so a redraw that sets the text writes nothing.
    connect(nameField_, &QLineEdit::textEdited, this,
            [&view](const QString& text) { view.setDeviceName(text.toStdString()); });
    connect(test_, &PillButton::clicked, this, [&view] { view.testConnection(); });
}

void OnboardingSpeakerPage::buildSearch(OnboardingView& view) {
    auto* row = makeRow(10);
    search_ = new PillButton(PillButton::Kind::bordered, PillButton::Size::regular);
    search_->setObjectName(QStringLiteral("searchDevices"));
    search_->setSymbol("magnifyingglass");
    permissionRequired_ = makeLabel(TextStyle::caption);
    permissionRequired_->setObjectName(QStringLiteral("permissionRequired"));
    row->addWidget(search_, 0, Qt::AlignVCenter);
    row->addStretch();
    row->addWidget(permissionRequired_, 0, Qt::AlignVCenter);
    page_->addLayout(row);

    tip_ = new QWidget;
    tip_->setObjectName(QStringLiteral("searchTip"));
    auto* tip = makeRow(6);
    const int captionSymbol = symbolSizeFor(TextStyle::caption);
    tipSymbol_ = new SymbolBadge(QSize(captionSymbol, captionSymbol));
    tipText_ = makeLabel(TextStyle::caption, QFont::Normal, true);
    tip->addWidget(tipSymbol_, 0, Qt::AlignTop);
    tip->addWidget(tipText_, 1, Qt::AlignTop);
    tip_->setLayout(tip);
    page_->addWidget(tip_);

    found_ = new QWidget;
    found_->setObjectName(QStringLiteral("foundOutputs"));
    auto* found = makeColumn(kTightSpacing);
    foundHeading_ = makeLabel(TextStyle::caption, QFont::Bold);
    foundCard_ = new RoundedCard(metrics::kCardRadius);
    foundRowsLayout_ = makeColumn(2);
    setCardLayout(*foundCard_, foundRowsLayout_, kTightSpacing, kTightSpacing);
    found->addWidget(foundHeading_);
    found->addWidget(foundCard_);
    found_->setLayout(found);
    page_->addWidget(found_);

    connect(search_, &PillButton::clicked, this, [&view] { view.startDiscovery(); });
}

void OnboardingSpeakerPage::render(const OnboardingView& view) {
    const Palette palette = Palette::current();
    const OnboardingTexts& texts = view.texts();
    const QColor gray = palette.color(NamedColor::gray);

    setLabelText(*title_, texts.speakerTitle);
    setLabelText(*introduction_, texts.speakerIntroduction);
    setTextColor(*introduction_, gray);

    renderSoundCard(view);

    setLabelText(*nameHeading_, texts.speakerName);
    styleTextField(*nameField_, palette);
    nameField_->setPlaceholderText(qText(texts.namePlaceholder));
    const QString name = qText(view.deviceName());
    if (nameField_->text() != name) {
        nameField_->setText(name);  // changed elsewhere ("Apply"); typing never lands here
    }
    test_->setLabel(qText(texts.test));
    test_->setBusy(view.isConnecting(), true);
    test_->setEnabled(view.canTest());
    const auto status = view.statusLine();
    statusMark_->setState(markFor(status));
    statusMark_->setVisible(status.has_value());
    status_->setFullText(qText(status ? status->text : texts.nameHint));
    setTextColor(*status_, gray);

    search_->setLabel(qText(texts.search));
    search_->setBusy(view.isDiscovering());
    search_->setEnabled(view.canSearch());
    permissionRequired_->setVisible(!view.permissionGranted());
    setLabelText(*permissionRequired_, texts.permissionRequired);
    setTextColor(*permissionRequired_, palette.color(NamedColor::warning));

    tipSymbol_->setSymbol("lightbulb", symbolSizeFor(TextStyle::caption), gray);
    setLabelText(*tipText_, texts.tip);
    setTextColor(*tipText_, gray);
    renderFoundList(view);

    closingNote_->setColors(palette.color(NamedColor::success, 0.10));
    closingSymbol_->setSymbol("checkmark.circle.fill", symbolSizeFor(TextStyle::body),
                              palette.color(NamedColor::success));
    setLabelText(*closingText_, texts.closingNote);
    setTextColor(*closingText_, gray);
}

void OnboardingSpeakerPage::renderSoundCard(const OnboardingView& view) {
    const Palette palette = Palette::current();
    const OnboardingTexts& texts = view.texts();
    const std::optional<bool> found = view.soundMenuFound();

    soundCard_->setColors(palette.color(NamedColor::cardBackground));
    soundDot_->setState(view.isCheckingSoundMenu() ? StatusMark::State::pending
                        : !found.has_value()       ? StatusMark::State::none
                        : *found                   ? StatusMark::State::success
                                                   : StatusMark::State::warning);
    setLabelText(*soundHeading_, texts.soundIconHeading);
    checkAgain_->setLabel(qText(texts.checkAgain));

    soundFound_->setVisible(found == true);
    setLabelText(*soundFound_, texts.soundIconFound);
    setTextColor(*soundFound_, palette.color(NamedColor::success));

    soundMissing_->setVisible(found == false);
    setLabelText(*soundMissingText_, texts.soundIconMissing);
    setTextColor(*soundMissingText_, palette.color(NamedColor::warning));
    setLabelText(*soundPath_, texts.soundIconPath);
    setTextColor(*soundPath_, palette.color(NamedColor::gray));
    setLabelText(*pictureCaption_, texts.pictureCaption);
    setTextColor(*pictureCaption_, palette.color(NamedColor::gray));
    renderPicture(view.showsSoundItemPicture());
    openControlCenter_->setLabel(qText(texts.openControlCenter));
}

void OnboardingSpeakerPage::renderPicture(bool wanted) {
    // Looked up on every redraw: without the image there is no picture block at all.
    const bool exists = wanted && QFile::exists(picturePath_);
    pictureBlock_->setVisible(exists);
    if (!exists || shownPicture_ == picturePath_) {
        return;
    }
    shownPicture_ = picturePath_;
    picture_->setPicture(QIcon(picturePath_), QImageReader(picturePath_).size());
}

void OnboardingSpeakerPage::renderFoundList(const OnboardingView& view) {
    const Palette palette = Palette::current();
    const OnboardingTexts& texts = view.texts();
    const auto& names = view.availableDevices();
    tip_->setVisible(names.empty());
    found_->setVisible(!names.empty());
    setLabelText(*foundHeading_, texts.foundOutputs);
    foundCard_->setColors(palette.color(NamedColor::cardBackground));
    if (names != shownNames_) {
        rebuildFoundRows(names);
    }
    const QColor success = palette.color(NamedColor::success);
    for (const FoundRow& row : foundRows_) {
        const bool chosen = view.isChosen(row.name);
        row.card->setColors(chosen ? palette.color(NamedColor::accent, 0.10)
                                   : QColor(Qt::transparent));
        row.check->setVisible(chosen);
        row.check->setSymbol("checkmark.circle.fill", symbolSizeFor(TextStyle::callout), success);
        row.apply->setVisible(!chosen);
        row.apply->setLabel(qText(texts.apply));
    }
}

void OnboardingSpeakerPage::rebuildFoundRows(const std::vector<std::string>& names) {
    for (const FoundRow& row : foundRows_) {
        foundRowsLayout_->removeWidget(row.card);
        row.card->hide();
        row.card->deleteLater();  // a row's own button may be the sender of this redraw
    }
    foundRows_.clear();
    shownNames_ = names;
    const int symbol = symbolSizeFor(TextStyle::callout);
    for (const std::string& name : names) {
        FoundRow row;
        row.name = name;
        row.card = new RoundedCard(metrics::kRowRadius);
        auto* layout = makeRow(8);
        layout->setContentsMargins(8, kFoundRowPadding, 8, kFoundRowPadding);
        row.label = makeLabel(TextStyle::callout);
        row.label->setText(qText(name));  // literally: never trimmed, never markup
        row.label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        row.check = new SymbolBadge(QSize(symbol, symbol));
        row.apply = new PillButton(PillButton::Kind::bordered, PillButton::Size::mini);
        row.apply->setObjectName(QStringLiteral("applyDevice"));
        layout->addWidget(row.label, 1, Qt::AlignVCenter);
        layout->addWidget(row.check, 0, Qt::AlignVCenter);
        layout->addWidget(row.apply, 0, Qt::AlignVCenter);
        row.card->setLayout(layout);
        // Rows with and without "Apply" are equally tall, so the list does not jump.
        row.card->setMinimumHeight(row.apply->sizeHint().height() + 2 * kFoundRowPadding);
        foundRowsLayout_->addWidget(row.card);
        connect(row.apply, &PillButton::clicked, this, [this, name] { view_.chooseDevice(name); });
        foundRows_.push_back(row);
    }
}

}  // namespace tonvera
