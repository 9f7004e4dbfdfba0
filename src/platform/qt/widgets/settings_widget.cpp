#include "platform/qt/widgets/settings_widget.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QShowEvent>
#include <string>
#include <utility>
#include <vector>

#include "platform/qt/widgets/app_icon.h"
#include "platform/qt/widgets/elided_label.h"
#include "platform/qt/widgets/onboarding_page_parts.h"
#include "platform/qt/widgets/palette.h"
#include "platform/qt/widgets/pill_button.h"
#include "platform/qt/widgets/ranking_list_widget.h"
#include "platform/qt/widgets/rounded_card.h"
#include "platform/qt/widgets/status_mark.h"
#include "platform/qt/widgets/switch_toggle.h"
#include "settings/subscription.h"
#include "ui/settings_view.h"

namespace tonvera {
namespace {

QLabel* namedLabel(const char* name, TextStyle style, QFont::Weight weight = QFont::Normal) {
    QLabel* label = makeLabel(style, weight);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A hairline between sections.
class Divider final : public QWidget {
  public:
    Divider() { setFixedHeight(1); }

  protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter(this).fillRect(rect(), Palette::current().separator());
    }
};

PillButton* makeButton(const char* name, PillButton::Kind kind, PillButton::Size size,
                       const std::string& text) {
    auto* button = new PillButton(kind, size);
    button->setObjectName(QString::fromLatin1(name));
    button->setLabel(qText(text));
    return button;
}

constexpr int kListedRows = 5;

// The same language as the onboarding window: drawn buttons, switches in a card, the found
// outputs in a card, in the palette's colours on every desktop style.
class SettingsWidget final : public QWidget {
  public:
    explicit SettingsWidget(std::shared_ptr<SettingsView> view) : view_(std::move(view)) {
        // The page colour of the onboarding window, so cards stand out the same way.
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Base);
        build();
        render();
        changes_ = view_->observeChanges([this] { render(); });
    }

  protected:
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        if (!announcedShown_ && !event->spontaneous()) {
            announcedShown_ = true;
            view_->windowShown();
        }
        render();
    }

    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::PaletteChange && badgeMark_ != nullptr) {
            render();
        } else if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
            view_->windowActivated();
        }
    }

  private:
    void build() {
        root_ = makeColumn(metrics::kSettingsSectionSpacing);
        root_->setContentsMargins(metrics::kSettingsPadding, metrics::kSettingsPadding,
                                  metrics::kSettingsPadding, metrics::kSettingsPadding);
        setLayout(root_);

        root_->addLayout(buildHeader());
        root_->addWidget(new Divider);
        // Two columns: which output plays (the preferred one, then the ranking around it), and
        // what Tonvera does on its own (the switches, finding outputs).
        auto* columns = makeRow(metrics::kSettingsColumnSpacing);
        auto* outputs = makeColumn(metrics::kSettingsSectionSpacing);
        outputs->addLayout(buildDeviceSection());
        outputs->addLayout(buildRankingSection());
        outputs->addStretch(1);
        auto* behaviour = makeColumn(metrics::kSettingsSectionSpacing);
        behaviour->addWidget(buildSwitches());
        behaviour->addLayout(buildDiscoverySection());
        behaviour->addStretch(1);
        columns->addLayout(outputs, metrics::kSettingsLeftColumnStretch);
        columns->addLayout(behaviour, metrics::kSettingsRightColumnStretch);
        root_->addLayout(columns, 1);
        root_->addWidget(new Divider);
        root_->addLayout(buildFooter());
    }

    QLayout* buildHeader() {
        const SettingsTexts& texts = view_->texts();
        auto* row = makeRow(metrics::kSettingsHeaderSpacing);
        icon_ = namedLabel("appIcon", TextStyle::body);
        const QPixmap pixmap =
            appIconPixmap(metrics::kAppIconSize, metrics::kAppIconRadius, devicePixelRatioF());
        icon_->setFixedSize(metrics::kAppIconSize, metrics::kAppIconSize);
        icon_->setPixmap(pixmap);
        icon_->setVisible(!pixmap.isNull());
        row->addWidget(icon_);

        auto* titles = makeColumn(1);
        auto* title = namedLabel("appName", TextStyle::title3, QFont::Bold);
        setLabelText(*title, texts.appName);
        tagline_ = namedLabel("tagline", TextStyle::caption);
        setLabelText(*tagline_, texts.tagline);
        titles->addWidget(title);
        titles->addWidget(tagline_);
        row->addLayout(titles);
        row->setAlignment(titles, Qt::AlignVCenter);
        row->addStretch(1);

        badgeMark_ = new StatusMark(symbolSizeFor(TextStyle::caption));
        badgeMark_->setObjectName(QStringLiteral("permissionMark"));
        row->addWidget(badgeMark_, 0, Qt::AlignVCenter);
        row->addSpacing(metrics::kBadgeSpacing - metrics::kSettingsHeaderSpacing);
        badge_ = namedLabel("permission", TextStyle::caption);
        row->addWidget(badge_, 0, Qt::AlignVCenter);
        return row;
    }

    QLayout* buildDeviceSection() {
        const SettingsTexts& texts = view_->texts();
        auto* section = makeColumn(metrics::kSettingsGroupSpacing);
        auto* heading = namedLabel("deviceHeading", TextStyle::subheadline, QFont::Bold);
        setLabelText(*heading, texts.deviceHeading);
        section->addWidget(heading);

        auto* row = makeRow(metrics::kSettingsRowSpacing);
        name_ = new QLineEdit;
        name_->setObjectName(QStringLiteral("deviceName"));
        name_->setPlaceholderText(qText(texts.devicePlaceholder));
        name_->setAccessibleName(qText(texts.deviceHeading));
        connect(name_, &QLineEdit::textEdited, this,
                [this](const QString& text) { view_->setDeviceName(text.toStdString()); });
        row->addWidget(name_, 1);
        connect_ = makeButton("connectNow", PillButton::Kind::prominent, PillButton::Size::regular,
                              texts.connectNow);
        connect(connect_, &PillButton::clicked, this, [this] { view_->startConnect(); });
        row->addWidget(connect_);
        section->addLayout(row);

        // The status line keeps its room while empty, so nothing below it moves.
        auto* statusRow = makeRow(metrics::kBadgeSpacing);
        statusMark_ = new StatusMark(symbolSizeFor(TextStyle::caption));
        statusMark_->setObjectName(QStringLiteral("statusMark"));
        status_ = makeElidedLabel("status", TextStyle::caption);
        statusRow->addWidget(statusMark_, 0, Qt::AlignVCenter);
        statusRow->addWidget(status_, 1);
        section->addLayout(statusRow);
        return section;
    }

    QLayout* buildRankingSection() {
        const SettingsTexts& texts = view_->texts();
        auto* section = makeColumn(metrics::kSettingsGroupSpacing);
        auto* heading = namedLabel("rankingHeading", TextStyle::subheadline, QFont::Bold);
        setLabelText(*heading, texts.rankingHeading);
        section->addWidget(heading);
        rankingExplanation_ = makeLabel(TextStyle::caption, QFont::Normal, true);
        rankingExplanation_->setObjectName(QStringLiteral("rankingExplanation"));
        setLabelText(*rankingExplanation_, texts.rankingExplanation);
        section->addWidget(rankingExplanation_);
        ranking_ = new RankingListWidget(*view_);
        ranking_->setObjectName(QStringLiteral("ranking"));
        section->addWidget(ranking_);
        return section;
    }

    QWidget* buildSwitches() {
        const SettingsTexts& texts = view_->texts();
        switchCard_ = new RoundedCard(metrics::kCardRadius);
        auto* column = makeColumn(metrics::kSettingsSwitchSpacing);
        column->setContentsMargins(metrics::kCardPadding, metrics::kSettingsSwitchPadding,
                                   metrics::kCardPadding, metrics::kSettingsSwitchPadding);
        const auto add = [&](const char* name, const std::string& text, auto setter) {
            auto* toggle = new SwitchToggle;
            toggle->setObjectName(QString::fromLatin1(name));
            toggle->setLabel(qText(text));
            // clicked() comes from the user only; the redraw's setChecked() writes nothing back.
            connect(toggle, &SwitchToggle::clicked, this,
                    [this, setter](bool on) { ((*view_).*setter)(on); });
            column->addWidget(toggle);
            return toggle;
        };
        onWake_ = add("connectOnWake", texts.connectOnWake, &SettingsView::setConnectOnWake);
        atLogin_ = add("connectAtLogin", texts.connectAtLogin, &SettingsView::setConnectAtLogin);
        launch_ = add("launchAtLogin", texts.launchAtLogin, &SettingsView::setLaunchAtLogin);
        follow_ = add("connectWhenSpeakerAppears", texts.connectWhenSpeakerAppears,
                      &SettingsView::setConnectWhenSpeakerAppears);
        keepSound_ = add("keepSoundFromNewOutputs", texts.keepSoundFromNewOutputs,
                         &SettingsView::setKeepSoundFromNewOutputs);
        notify_ = add("notifyWhenSpeakerStaysAway", texts.notifyWhenSpeakerStaysAway,
                      &SettingsView::setNotifyWhenSpeakerStaysAway);
        bluetooth_ = add("reconnectBluetoothOutputs", texts.reconnectBluetoothOutputs,
                         &SettingsView::setReconnectBluetoothOutputs);
        switchCard_->setLayout(column);
        return switchCard_;
    }

    QLayout* buildDiscoverySection() {
        const SettingsTexts& texts = view_->texts();
        auto* section = makeColumn(metrics::kSettingsGroupSpacing);
        auto* row = makeRow(metrics::kSettingsRowSpacing);
        find_ = makeButton("findDevices", PillButton::Kind::bordered, PillButton::Size::regular,
                           texts.findDevices);
        connect(find_, &PillButton::clicked, this, [this] { view_->startDiscovery(); });
        row->addWidget(find_);
        row->addStretch(1);
        hint_ = namedLabel("permissionHint", TextStyle::caption);
        row->addWidget(hint_);
        section->addLayout(row);

        listHeading_ = namedLabel("availableOutputs", TextStyle::caption, QFont::Bold);
        setLabelText(*listHeading_, texts.availableOutputs);
        section->addWidget(listHeading_);

        // The found outputs in a card; five rows fit, more scroll inside it.
        list_ = new QScrollArea;
        list_->setObjectName(QStringLiteral("deviceList"));
        list_->setFrameShape(QFrame::NoFrame);
        list_->setWidgetResizable(true);
        list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        listCard_ = new RoundedCard(metrics::kCardRadius);
        rows_ = makeColumn(metrics::kListRowSpacing);
        rows_->setContentsMargins(metrics::kListPaddingX, metrics::kListPaddingY,
                                  metrics::kListPaddingX, metrics::kListPaddingY);
        rows_->addStretch(1);
        listCard_->setLayout(rows_);
        list_->setWidget(listCard_);
        list_->viewport()->setAutoFillBackground(false);
        section->addWidget(list_);
        listHeading_->hide();
        list_->hide();
        return section;
    }

    QLayout* buildFooter() {
        const SettingsTexts& texts = view_->texts();
        auto* footer = makeRow(metrics::kSettingsRowSpacing);
        version_ = namedLabel("version", TextStyle::caption);
        setLabelText(*version_, view_->versionText());
        footer->addWidget(version_);
        auto* updates = makeButton("checkForUpdates", PillButton::Kind::bordered,
                                   PillButton::Size::small, texts.checkForUpdates);
        connect(updates, &PillButton::clicked, this, [this] { view_->checkForUpdates(); });
        footer->addWidget(updates);
        footer->addStretch(1);
        auto* pane = makeButton("openAccessibilitySettings", PillButton::Kind::bordered,
                                PillButton::Size::regular, texts.openAccessibilitySettings);
        pane->setSymbol("gearshape.2");
        connect(pane, &PillButton::clicked, this, [this] { view_->openSettingsPane(); });
        footer->addWidget(pane);
        auto* quit =
            makeButton("quit", PillButton::Kind::bordered, PillButton::Size::regular, texts.quit);
        connect(quit, &PillButton::clicked, this, [this] { view_->quit(); });
        footer->addWidget(quit);
        return footer;
    }

    static ElidedLabel* makeElidedLabel(const char* name, TextStyle style) {
        auto* label = new ElidedLabel(style);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    }

    void render() {
        const Palette palette = Palette::current();
        const QColor gray = palette.color(NamedColor::gray);
        const SettingsView::Badge badge = view_->badge();
        badgeMark_->setState(
            badge.text.empty()                          ? StatusMark::State::none
            : badge.tone == SettingsView::Tone::pending ? StatusMark::State::pending
            : badge.tone == SettingsView::Tone::success ? StatusMark::State::success
                                                        : StatusMark::State::warning);
        setLabelText(*badge_, badge.text);
        setLabelText(*hint_, view_->discoveryHint());
        for (QLabel* label : std::initializer_list<QLabel*>{tagline_, badge_, status_,
                                                            rankingExplanation_, version_}) {
            setTextColor(*label, gray);
        }
        setTextColor(*hint_, palette.color(NamedColor::warning));
        styleTextField(*name_, palette);
        switchCard_->setColors(palette.color(NamedColor::cardBackground));
        listCard_->setColors(palette.color(NamedColor::cardBackground));

        // Only a change from elsewhere replaces the text, so typing keeps its cursor.
        const QString name = qText(view_->deviceName());
        if (name_->text() != name) {
            name_->setText(name);
        }
        connect_->setEnabled(view_->canConnect());

        const auto status = view_->statusLine();
        statusMark_->setState(markFor(status));
        status_->setFullText(status ? qText(status->text) : QString());

        onWake_->setChecked(view_->connectOnWake());
        atLogin_->setChecked(view_->connectAtLogin());
        launch_->setChecked(view_->launchAtLogin());
        follow_->setChecked(view_->connectWhenSpeakerAppears());
        keepSound_->setChecked(view_->keepSoundFromNewOutputs());
        notify_->setChecked(view_->notifyWhenSpeakerStaysAway());
        bluetooth_->setChecked(view_->reconnectBluetoothOutputs());
        bluetooth_->setVisible(view_->showsBluetoothSwitch());
        ranking_->render();

        find_->setEnabled(view_->canDiscover());
        find_->setBusy(view_->isDiscovering());
        renderDevices();
    }

    void renderDevices() {
        const auto& devices = view_->availableDevices();
        if (devices == shownDevices_) {
            return;
        }
        shownDevices_ = devices;
        // Every row but the closing stretch goes; the new list is built in order. A row's
        // button may be the one whose press led here, so it goes once that press is over.
        while (rows_->count() > 1) {
            QLayoutItem* item = rows_->takeAt(0);
            if (QLayout* layout = item->layout()) {
                while (QLayoutItem* child = layout->takeAt(0)) {
                    if (QWidget* widget = child->widget()) {
                        widget->setParent(nullptr);
                        widget->deleteLater();
                    }
                    delete child;
                }
            }
            delete item;
        }
        int index = 0;
        for (const std::string& device : devices) {
            auto* row = makeRow(metrics::kSettingsRowSpacing);
            ElidedLabel* label = makeElidedLabel("deviceRow", TextStyle::callout);
            label->setParent(listCard_);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            label->setFullText(qText(view_->deviceRowText(device)));
            row->addWidget(label, 1);
            auto* use = makeButton("useDevice", PillButton::Kind::bordered, PillButton::Size::mini,
                                   view_->texts().use);
            use->setParent(listCard_);
            use->setAccessibleDescription(qText(device));
            connect(use, &PillButton::clicked, this, [this, device] { view_->useDevice(device); });
            row->addWidget(use);
            rows_->insertLayout(index++, row);
        }
        const bool listed = !devices.empty();
        if (listed) {
            // Up to kListedRows rows show whole; more scroll inside the card.
            const int shownRows = std::min(static_cast<int>(devices.size()), kListedRows);
            const QMargins margins = rows_->contentsMargins();
            list_->setFixedHeight(shownRows * rows_->itemAt(0)->sizeHint().height() +
                                  (shownRows - 1) * rows_->spacing() + margins.top() +
                                  margins.bottom());
        }
        listHeading_->setVisible(listed);
        list_->setVisible(listed);
    }

    std::shared_ptr<SettingsView> view_;
    QVBoxLayout* root_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* tagline_ = nullptr;
    StatusMark* badgeMark_ = nullptr;
    QLabel* badge_ = nullptr;
    QLineEdit* name_ = nullptr;
    PillButton* connect_ = nullptr;
    StatusMark* statusMark_ = nullptr;
    ElidedLabel* status_ = nullptr;
    QLabel* rankingExplanation_ = nullptr;
    RankingListWidget* ranking_ = nullptr;
    RoundedCard* switchCard_ = nullptr;
    SwitchToggle* onWake_ = nullptr;
    SwitchToggle* atLogin_ = nullptr;
    SwitchToggle* launch_ = nullptr;
    SwitchToggle* follow_ = nullptr;
    SwitchToggle* keepSound_ = nullptr;
    SwitchToggle* notify_ = nullptr;
    SwitchToggle* bluetooth_ = nullptr;
    PillButton* find_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* listHeading_ = nullptr;
    QScrollArea* list_ = nullptr;
    RoundedCard* listCard_ = nullptr;
    QVBoxLayout* rows_ = nullptr;
    QLabel* version_ = nullptr;
    std::vector<std::string> shownDevices_;
    bool announcedShown_ = false;
    // Last, so it ends before any control it redraws goes away.
    Subscription changes_;
};

}  // namespace

std::unique_ptr<QWidget> makeSettingsWidget(std::shared_ptr<SettingsView> view) {
    // At the usual font sizes everything fits the window; a larger desktop font scrolls the
    // content instead of cutting off its last rows.
    auto frame = std::make_unique<QScrollArea>();
    frame->setFrameShape(QFrame::NoFrame);
    frame->setWidgetResizable(true);
    frame->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frame->setWidget(new SettingsWidget(std::move(view)));
    return frame;
}

}  // namespace tonvera
