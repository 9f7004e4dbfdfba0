#include "platform/qt/widgets/onboarding_widget.h"

#include <QEvent>
#include <QKeySequence>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/qt/widgets/onboarding_page_parts.h"
#include "platform/qt/widgets/onboarding_permission_page.h"
#include "platform/qt/widgets/onboarding_readiness_page.h"
#include "platform/qt/widgets/onboarding_speaker_page.h"
#include "platform/qt/widgets/onboarding_welcome_page.h"
#include "platform/qt/widgets/palette.h"
#include "platform/qt/widgets/pill_button.h"
#include "platform/qt/widgets/step_indicator.h"
#include "ui/onboarding_view.h"

namespace tonvera {
namespace {

// A hairline between the frame's parts.
class Divider final : public QWidget {
  public:
    Divider() { setFixedHeight(1); }

  protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        const Palette palette = Palette::current();
        painter.fillRect(rect(), palette.color(NamedColor::gray, palette.isDark() ? 0.45 : 0.3));
    }
};

// A thin scroll bar without arrows that stays out of the page's way, on every style.
QString slimScrollBarStyle(const Palette& palette) {
    const QColor handle = palette.color(NamedColor::gray, palette.isDark() ? 0.6 : 0.45);
    return QStringLiteral(
               "QScrollBar:vertical { background: transparent; width: 10px; margin: 2px 2px 2px 0; "
               "}"
               "QScrollBar::handle:vertical { background: %1; border-radius: 3px;"
               " min-height: 32px; margin: 0 2px; }"
               "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
               "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical {"
               " background: transparent; }")
        .arg(handle.name(QColor::HexArgb));
}

}  // namespace

OnboardingWidget::OnboardingWidget(std::shared_ptr<OnboardingView> view,
                                   const OnboardingWidgetOptions& options, QWidget* parent)
    : QWidget(parent), view_(std::move(view)) {
    setFixedSize(metrics::kOnboardingWidth, metrics::kOnboardingHeight);
    auto* frame = makeColumn(0);
    setLayout(frame);

    stepIndicator_ = new StepIndicator;
    stepIndicator_->setObjectName(QStringLiteral("stepIndicator"));
    frame->addWidget(stepIndicator_);
    frame->addWidget(new Divider);

    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("pageArea"));
    auto* pages = makeColumn(0);
    pages->setContentsMargins(metrics::kPagePadding, metrics::kPagePaddingVertical,
                              metrics::kPagePadding, metrics::kPagePaddingVertical);
    welcomePage_ = new OnboardingWelcomePage(*view_);
    welcomePage_->setObjectName(QStringLiteral("welcomePage"));
    permissionPage_ = new OnboardingPermissionPage(*view_);
    permissionPage_->setObjectName(QStringLiteral("permissionPage"));
    readinessPage_ = new OnboardingReadinessPage(*view_);
    readinessPage_->setObjectName(QStringLiteral("readinessPage"));
    speakerPage_ = new OnboardingSpeakerPage(*view_, options.picturePath);
    speakerPage_->setObjectName(QStringLiteral("speakerPage"));
    pages->addWidget(welcomePage_);
    pages->addWidget(permissionPage_);
    pages->addWidget(readinessPage_);
    pages->addWidget(speakerPage_);
    pages->addStretch();
    content->setLayout(pages);
    content->setAutoFillBackground(true);
    content->setBackgroundRole(QPalette::Base);

    scrollArea_ = new QScrollArea;
    scrollArea_->setObjectName(QStringLiteral("pageScrollArea"));
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea_->setWidget(content);
    scrollArea_->setBackgroundRole(QPalette::Base);
    scrollArea_->viewport()->setBackgroundRole(QPalette::Base);
    frame->addWidget(scrollArea_, 1);
    frame->addWidget(new Divider);
    frame->addWidget(makeButtonBar());

    // Escape and Return act like pressing the buttons: nothing while a button is hidden or
    // disabled.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &OnboardingWidget::pressBack);
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, &OnboardingWidget::pressPrimary);
    }

    changes_ = view_->observeChanges([this] { render(); });
    render();
}

OnboardingWidget::~OnboardingWidget() = default;

QWidget* OnboardingWidget::makeButtonBar() {
    buttonBar_ = new QWidget;
    buttonBar_->setObjectName(QStringLiteral("buttonBar"));
    buttonBar_->setAutoFillBackground(true);
    buttonBar_->setBackgroundRole(QPalette::Window);
    auto* bar = makeRow(8);
    bar->setContentsMargins(
        metrics::kButtonBarPaddingHorizontal, metrics::kButtonBarPaddingVertical,
        metrics::kButtonBarPaddingHorizontal, metrics::kButtonBarPaddingVertical);
    back_ = new PillButton(PillButton::Kind::bordered, PillButton::Size::regular);
    back_->setObjectName(QStringLiteral("back"));
    continue_ = new PillButton(PillButton::Kind::prominent, PillButton::Size::regular);
    continue_->setObjectName(QStringLiteral("continue"));
    done_ = new PillButton(PillButton::Kind::prominent, PillButton::Size::regular);
    done_->setObjectName(QStringLiteral("done"));
    bar->addWidget(back_);
    bar->addStretch();
    bar->addWidget(continue_);
    bar->addWidget(done_);
    buttonBar_->setLayout(bar);

    connect(back_, &PillButton::clicked, this, [this] { view_->previousStep(); });
    connect(continue_, &PillButton::clicked, this, [this] { view_->nextStep(); });
    // Finishing usually closes the window and releases this widget; that must not happen
    // inside the button's own click, so it runs from the event loop, holding only the view.
    connect(done_, &PillButton::clicked, this, [weak = std::weak_ptr<OnboardingView>(view_)] {
        QTimer::singleShot(0, [weak] {
            if (const auto view = weak.lock()) {
                view->completeOnboarding();
            }
        });
    });
    return buttonBar_;
}

void OnboardingWidget::pressBack() {
    if (back_->isVisibleTo(this) && back_->isEnabled()) {
        back_->click();
    }
}

void OnboardingWidget::pressPrimary() {
    PillButton* primary = view_->showsDone() ? done_ : continue_;
    if (primary->isVisibleTo(this) && primary->isEnabled()) {
        primary->click();
    }
}

void OnboardingWidget::render() {
    const QString scrollBarStyle = slimScrollBarStyle(Palette::current());
    if (scrollBarStyle != scrollBarStyle_) {
        scrollBarStyle_ = scrollBarStyle;
        scrollArea_->verticalScrollBar()->setStyleSheet(scrollBarStyle);
    }
    const OnboardingTexts& texts = view_->texts();
    const bool readiness = view_->showsReadiness();
    stepIndicator_->setSteps(
        {qText(texts.stepWelcome),
         qText(readiness ? view_->readinessTexts().step : texts.stepPermissions),
         qText(texts.stepSpeaker)},
        view_->currentStep());

    const OnboardingView::Step page = view_->shownPage();
    welcomePage_->render(*view_);
    if (readiness) {
        readinessPage_->render(*view_);
    } else {
        permissionPage_->render(*view_);
    }
    speakerPage_->render(*view_);
    welcomePage_->setVisible(page == OnboardingView::welcome);
    permissionPage_->setVisible(page == OnboardingView::permission && !readiness);
    readinessPage_->setVisible(page == OnboardingView::permission && readiness);
    speakerPage_->setVisible(page == OnboardingView::speaker);
    // At the usual font sizes every page fits the window. A larger desktop font makes a page
    // taller: it then scrolls, rather than squeezing wrapped text below the height it needs.
    QWidget* content = scrollArea_->widget();
    const int width = scrollArea_->viewport()->width();
    content->setMinimumHeight(content->layout()->hasHeightForWidth()
                                  ? content->layout()->totalHeightForWidth(width)
                                  : content->layout()->totalSizeHint().height());
    if (view_->currentStep() != shownStep_) {
        shownStep_ = view_->currentStep();
        scrollArea_->verticalScrollBar()->setValue(0);  // a new page starts at its top
    }

    back_->setLabel(qText(texts.back));
    back_->setVisible(view_->showsBack());
    continue_->setLabel(qText(texts.continueLabel));
    continue_->setVisible(!view_->showsDone());
    continue_->setEnabled(view_->canContinue());
    done_->setLabel(qText(texts.done));
    done_->setVisible(view_->showsDone());
    done_->setEnabled(view_->canFinish());
}

void OnboardingWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    view_->appeared();
}

void OnboardingWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    view_->disappeared();
}

void OnboardingWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        view_->activated();
    }
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        // Colours come from the palette at drawing time; labels carry them, so draw anew.
        render();
        update();
    }
}

std::unique_ptr<QWidget> makeOnboardingWidget(std::shared_ptr<OnboardingView> view) {
    return makeOnboardingWidget(std::move(view), OnboardingWidgetOptions{});
}

std::unique_ptr<QWidget> makeOnboardingWidget(std::shared_ptr<OnboardingView> view,
                                              const OnboardingWidgetOptions& options) {
    return std::make_unique<OnboardingWidget>(std::move(view), options);
}

}  // namespace tonvera
