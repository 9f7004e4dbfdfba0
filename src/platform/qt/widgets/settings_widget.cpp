#include "platform/qt/widgets/settings_widget.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <string>
#include <utility>
#include <vector>

#include "platform/qt/accelerators.h"
#include "platform/qt/widgets/activity_spinner.h"
#include "platform/qt/widgets/compact_button.h"
#include "platform/qt/widgets/palette.h"
#include "settings/subscription.h"
#include "ui/settings_view.h"

namespace tonvera {
namespace {

QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The filled circle of the permission badge.
class StatusDot final : public QWidget {
  public:
    StatusDot() { setFixedSize(metrics::kStatusDot, metrics::kStatusDot); }

    void setColor(const QColor& color) {
        if (color != color_) {
            color_ = color;
            update();
        }
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color_);
        painter.drawEllipse(QRectF(rect()));
    }

  private:
    QColor color_;
};

// The application icon at `size`, clipped to a rounded square; null when there is no icon.
QPixmap appIconPixmap(int size, qreal ratio) {
    const QString ownIcon = QStringLiteral(":/icons/tonvera.svg");
    const QIcon icon = QIcon::fromTheme(QStringLiteral("tonvera"),
                                        QFile::exists(ownIcon) ? QIcon(ownIcon) : QIcon());
    const QPixmap source = icon.pixmap(QSize(size, size), ratio);
    if (source.isNull()) {
        return {};
    }
    QPixmap clipped(QSize(size, size) * ratio);
    clipped.setDevicePixelRatio(ratio);
    clipped.fill(Qt::transparent);
    QPainter painter(&clipped);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, size, size), metrics::kAppIconRadius,
                         metrics::kAppIconRadius);
    painter.setClipPath(shape);
    painter.drawPixmap(QRect(0, 0, size, size), source);
    return clipped;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QFont& font) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    return label;
}

QFrame* makeDivider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    return line;
}

// A label that shows as much of its one line as fits and the whole text as a tool tip.
const char* const kFullTextProperty = "tonveraFullText";

class SettingsWidget final : public QWidget {
  public:
    explicit SettingsWidget(std::shared_ptr<SettingsView> view) : view_(std::move(view)) {
        build();
        applyColors();
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
        if (event->type() == QEvent::PaletteChange) {
            applyColors();
            render();
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            if (auto* label = qobject_cast<QLabel*>(watched)) {
                elide(*label);
            }
        }
        return QWidget::eventFilter(watched, event);
    }

  private:
    void build() {
        auto* root = new QVBoxLayout(this);
        root->setContentsMargins(metrics::kSettingsPadding, metrics::kSettingsPadding,
                                 metrics::kSettingsPadding, metrics::kSettingsPadding);
        root->setSpacing(metrics::kSettingsSectionSpacing);
        root_ = root;

        root->addLayout(buildHeader());
        dividers_.push_back(makeDivider(this));
        root->addWidget(dividers_.back());
        root->addLayout(buildDeviceSection());
        root->addLayout(buildSwitches());
        dividers_.push_back(makeDivider(this));
        root->addWidget(dividers_.back());
        discoveryIndex_ = root->count();
        root->addLayout(buildDiscoverySection());
        fillerIndex_ = root->count();
        root->addStretch(1);
        dividers_.push_back(makeDivider(this));
        root->addWidget(dividers_.back());
        root->addLayout(buildVersionRow());
        root->addLayout(buildButtonRow());
    }

    QLayout* buildHeader() {
        const SettingsTexts& texts = view_->texts();
        auto* row = new QHBoxLayout;
        row->setSpacing(metrics::kSettingsHeaderSpacing);

        icon_ = makeLabel(this, "appIcon", font());
        const QPixmap pixmap = appIconPixmap(metrics::kAppIconSize, devicePixelRatioF());
        icon_->setFixedSize(metrics::kAppIconSize, metrics::kAppIconSize);
        icon_->setPixmap(pixmap);
        icon_->setVisible(!pixmap.isNull());
        row->addWidget(icon_);

        auto* titles = new QVBoxLayout;
        titles->setSpacing(1);
        titles->addStretch(1);
        auto* title = makeLabel(this, "appName", Palette::font(TextStyle::title3, QFont::Bold));
        title->setText(toQString(texts.appName));
        titles->addWidget(title);
        tagline_ = makeLabel(this, "tagline", Palette::font(TextStyle::caption));
        tagline_->setText(toQString(texts.tagline));
        titles->addWidget(tagline_);
        titles->addStretch(1);
        row->addLayout(titles);
        row->addStretch(1);

        auto* badge = new QHBoxLayout;
        badge->setSpacing(metrics::kBadgeSpacing);
        dot_ = new StatusDot;
        dot_->setObjectName(QStringLiteral("permissionDot"));
        badge->addWidget(dot_, 0, Qt::AlignVCenter);
        permission_ = makeLabel(this, "permission", Palette::font(TextStyle::caption));
        badge->addWidget(permission_, 0, Qt::AlignVCenter);
        row->addLayout(badge);
        return row;
    }

    QLayout* buildDeviceSection() {
        const SettingsTexts& texts = view_->texts();
        auto* section = new QVBoxLayout;
        section->setSpacing(metrics::kSettingsGroupSpacing);
        auto* heading =
            makeLabel(this, "deviceHeading", Palette::font(TextStyle::subheadline, QFont::Bold));
        heading->setText(toQString(texts.deviceHeading));
        section->addWidget(heading);

        auto* row = new QHBoxLayout;
        row->setSpacing(metrics::kSettingsRowSpacing);
        name_ = new QLineEdit(this);
        name_->setObjectName(QStringLiteral("deviceName"));
        name_->setPlaceholderText(toQString(texts.devicePlaceholder));
        name_->setAccessibleName(toQString(texts.deviceHeading));
        connect(name_, &QLineEdit::textEdited, this,
                [this](const QString& text) { view_->setDeviceName(text.toStdString()); });
        row->addWidget(name_, 1);
        connect_ = new QPushButton(withoutAccelerators(texts.connectNow), this);
        connect_->setObjectName(QStringLiteral("connectNow"));
        connect(connect_, &QPushButton::clicked, this, [this] { view_->startConnect(); });
        row->addWidget(connect_);
        section->addLayout(row);

        status_ = makeElidedLabel("status", Palette::font(TextStyle::caption));
        section->addWidget(status_);
        return section;
    }

    QLayout* buildSwitches() {
        const SettingsTexts& texts = view_->texts();
        auto* section = new QVBoxLayout;
        section->setSpacing(metrics::kSettingsSwitchSpacing);
        const auto add = [&](const char* name, const std::string& text, auto setter) {
            auto* box = new QCheckBox(withoutAccelerators(text), this);
            box->setObjectName(QString::fromLatin1(name));
            connect(box, &QCheckBox::clicked, this,
                    [this, setter](bool on) { ((*view_).*setter)(on); });
            section->addWidget(box);
            return box;
        };
        onWake_ = add("connectOnWake", texts.connectOnWake, &SettingsView::setConnectOnWake);
        atLogin_ = add("connectAtLogin", texts.connectAtLogin, &SettingsView::setConnectAtLogin);
        launch_ = add("launchAtLogin", texts.launchAtLogin, &SettingsView::setLaunchAtLogin);
        return section;
    }

    QLayout* buildDiscoverySection() {
        const SettingsTexts& texts = view_->texts();
        auto* section = new QVBoxLayout;
        section->setSpacing(metrics::kSettingsGroupSpacing);

        auto* row = new QHBoxLayout;
        row->setSpacing(metrics::kSettingsRowSpacing);
        find_ = new QPushButton(withoutAccelerators(texts.findDevices), this);
        find_->setObjectName(QStringLiteral("findDevices"));
        spinner_ = new ActivitySpinner(*find_);
        connect(find_, &QPushButton::clicked, this, [this] { view_->startDiscovery(); });
        row->addWidget(find_);
        row->addStretch(1);
        hint_ = makeLabel(this, "permissionHint", Palette::font(TextStyle::caption));
        row->addWidget(hint_);
        section->addLayout(row);

        listHeading_ =
            makeLabel(this, "availableOutputs", Palette::font(TextStyle::caption, QFont::Bold));
        listHeading_->setText(toQString(texts.availableOutputs));
        section->addWidget(listHeading_);

        list_ = new QScrollArea(this);
        list_->setObjectName(QStringLiteral("deviceList"));
        // A list box: the found outputs on the base colour, scrolling when they outgrow it.
        list_->setFrameShape(QFrame::StyledPanel);
        list_->setWidgetResizable(true);
        list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list_->setBackgroundRole(QPalette::Base);
        auto* content = new QWidget(list_);
        content->setBackgroundRole(QPalette::Base);
        rows_ = new QVBoxLayout(content);
        rows_->setContentsMargins(metrics::kListPaddingX, metrics::kListPaddingY,
                                  metrics::kListPaddingX, metrics::kListPaddingY);
        rows_->setSpacing(metrics::kListRowSpacing);
        rows_->addStretch(1);
        list_->setWidget(content);
        section->addWidget(list_, 1);
        listHeading_->hide();
        list_->hide();
        return section;
    }

    QLayout* buildVersionRow() {
        auto* row = new QHBoxLayout;
        version_ = makeLabel(this, "version", Palette::font(TextStyle::caption));
        version_->setText(toQString(view_->versionText()));
        row->addWidget(version_);
        row->addStretch(1);
        auto* updates = new CompactButton(this);
        updates->setObjectName(QStringLiteral("checkForUpdates"));
        updates->setText(withoutAccelerators(view_->texts().checkForUpdates));
        connect(updates, &QPushButton::clicked, this, [this] { view_->checkForUpdates(); });
        row->addWidget(updates);
        return row;
    }

    QLayout* buildButtonRow() {
        const SettingsTexts& texts = view_->texts();
        auto* row = new QHBoxLayout;
        auto* accessibility =
            new QPushButton(withoutAccelerators(texts.openAccessibilitySettings), this);
        accessibility->setObjectName(QStringLiteral("openAccessibilitySettings"));
        connect(accessibility, &QPushButton::clicked, this,
                [this] { view_->openAccessibilitySettings(); });
        row->addWidget(accessibility);
        row->addStretch(1);
        auto* quit = new QPushButton(withoutAccelerators(texts.quit), this);
        quit->setObjectName(QStringLiteral("quit"));
        connect(quit, &QPushButton::clicked, this, [this] { view_->quit(); });
        row->addWidget(quit);
        return row;
    }

    QLabel* makeElidedLabel(const char* name, const QFont& font, QWidget* parent = nullptr) {
        QLabel* label = makeLabel(parent != nullptr ? parent : this, name, font);
        // The layout decides the width; the text then shows what fits of it.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        label->setMinimumHeight(label->fontMetrics().height());
        label->installEventFilter(this);
        return label;
    }

    static void setElidedText(QLabel& label, const QString& text) {
        if (label.property(kFullTextProperty).toString() != text || label.text().isEmpty()) {
            label.setProperty(kFullTextProperty, text);
            elide(label);
        }
    }

    static void elide(QLabel& label) {
        const QString full = label.property(kFullTextProperty).toString();
        const QString shown =
            label.fontMetrics().elidedText(full, Qt::ElideRight, std::max(label.width(), 1));
        label.setText(shown);
        label.setToolTip(shown == full ? QString() : full);
    }

    void render() {
        const bool trusted = view_->isTrusted();
        const Palette palette = Palette::current();
        dot_->setColor(palette.color(trusted ? NamedColor::success : NamedColor::warning));
        permission_->setText(toQString(view_->permissionText(trusted)));
        hint_->setText(toQString(view_->permissionHint(trusted)));

        // Only a change from elsewhere replaces the text, so typing keeps its cursor.
        const QString name = toQString(view_->deviceName());
        if (name_->text() != name) {
            name_->setText(name);
        }
        connect_->setEnabled(view_->canConnect());

        const auto& status = view_->statusMessage();
        status_->setVisible(status.has_value());
        if (status) {
            setElidedText(*status_, toQString(*status));
        }

        onWake_->setChecked(view_->connectOnWake());
        atLogin_->setChecked(view_->connectAtLogin());
        launch_->setChecked(view_->launchAtLogin());

        find_->setEnabled(view_->canDiscover());
        spinner_->setRunning(view_->isDiscovering());
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
        rowCount_ = 0;
        QWidget* content = list_->widget();
        for (const std::string& device : devices) {
            auto* row = new QHBoxLayout;
            row->setSpacing(metrics::kSettingsRowSpacing);
            QLabel* label =
                makeElidedLabel("deviceRow", Palette::font(TextStyle::caption), content);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            setElidedText(*label, toQString(view_->deviceRowText(device)));
            row->addWidget(label, 1);
            auto* use = new CompactButton(content);
            use->setObjectName(QStringLiteral("useDevice"));
            use->setText(withoutAccelerators(view_->texts().use));
            use->setAccessibleDescription(toQString(device));
            connect(use, &QPushButton::clicked, this, [this, device] { view_->useDevice(device); });
            row->addWidget(use);
            rows_->insertLayout(static_cast<int>(rowCount_++), row);
        }
        const bool listed = !devices.empty();
        // However little room is left, one whole row shows; the rest scrolls.
        if (listed) {
            const QMargins margins = rows_->contentsMargins();
            list_->setMinimumHeight(rows_->itemAt(0)->sizeHint().height() + margins.top() +
                                    margins.bottom() + 2 * list_->frameWidth());
        }
        listHeading_->setVisible(listed);
        list_->setVisible(listed);
        // The found list takes the free room; without one it stays below the discovery row.
        root_->setStretch(discoveryIndex_, listed ? 1 : 0);
        root_->setStretch(fillerIndex_, listed ? 0 : 1);
    }

    void applyColors() {
        const Palette palette = Palette::current();
        const QColor gray = palette.color(NamedColor::gray);
        for (QLabel* label : {tagline_, permission_, status_, version_}) {
            setTextColor(*label, gray);
        }
        setTextColor(*hint_, palette.color(NamedColor::warning));
        for (QFrame* divider : dividers_) {
            setTextColor(*divider, palette.separator());
        }
    }

    std::shared_ptr<SettingsView> view_;
    QVBoxLayout* root_ = nullptr;
    int discoveryIndex_ = 0;
    int fillerIndex_ = 0;
    std::vector<QFrame*> dividers_;
    QLabel* icon_ = nullptr;
    QLabel* tagline_ = nullptr;
    StatusDot* dot_ = nullptr;
    QLabel* permission_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* connect_ = nullptr;
    QLabel* status_ = nullptr;
    QCheckBox* onWake_ = nullptr;
    QCheckBox* atLogin_ = nullptr;
    QCheckBox* launch_ = nullptr;
    QPushButton* find_ = nullptr;
    ActivitySpinner* spinner_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* listHeading_ = nullptr;
    QScrollArea* list_ = nullptr;
    QVBoxLayout* rows_ = nullptr;
    QLabel* version_ = nullptr;
    std::vector<std::string> shownDevices_;
    std::size_t rowCount_ = 0;
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
