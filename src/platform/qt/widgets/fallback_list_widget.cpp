#include "platform/qt/widgets/fallback_list_widget.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStringListModel>
#include <algorithm>

#include "platform/qt/widgets/onboarding_page_parts.h"
#include "platform/qt/widgets/palette.h"
#include "platform/qt/widgets/pill_button.h"
#include "ui/settings_view.h"

namespace tonvera {
namespace {

// Four entries show without scrolling; more scroll inside the list.
constexpr int kVisibleRows = 4;
constexpr int kRowHeight = metrics::kMinTarget + 2;
constexpr int kListFrame = 2 * 3;

QString listStyle(const Palette& palette) {
    return QStringLiteral(
               "QListWidget { border: 1px solid %1; border-radius: 6px; background: %2;"
               " padding: 2px; outline: none; }"
               "QListWidget:focus { border: 2px solid %3; padding: 1px; }"
               "QListWidget::item { color: %4; padding: 0 6px; border-radius: 4px; }"
               "QListWidget::item:selected { background: %5; color: white; }")
        .arg(palette.controlEdge().name(), palette.fieldBackground().name(),
             palette.color(NamedColor::accent).name(), palette.primaryText().name(),
             palette.prominentFill().name());
}

PillButton* makeListButton(const char* name, const char* symbol, const std::string& text) {
    auto* button = new PillButton(PillButton::Kind::bordered, PillButton::Size::regular);
    button->setObjectName(QString::fromLatin1(name));
    button->setSymbol(symbol);
    button->setLabel(qText(text));
    return button;
}

}  // namespace

FallbackListWidget::FallbackListWidget(SettingsView& view, QWidget* parent)
    : QWidget(parent), view_(view) {
    const SettingsTexts& texts = view_.texts();
    auto* column = makeColumn(metrics::kSettingsGroupSpacing);
    setLayout(column);

    auto* addRow = makeRow(metrics::kSettingsRowSpacing);
    field_ = new QLineEdit;
    field_->setObjectName(QStringLiteral("fallbackName"));
    field_->setPlaceholderText(qText(texts.fallbackPlaceholder));
    field_->setAccessibleName(qText(texts.fallbackPlaceholder));
    field_->setMinimumHeight(metrics::kMinTarget + 4);
    field_->installEventFilter(this);
    candidates_ = new QStringListModel(this);
    completer_ = new QCompleter(candidates_, this);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setFilterMode(Qt::MatchContains);
    // The suggestions are targets too: rows as tall as the other controls.
    completer_->popup()->setStyleSheet(
        QStringLiteral("QAbstractItemView::item { min-height: %1px; padding: 0 6px; }")
            .arg(metrics::kMinTarget));
    field_->setCompleter(completer_);
    add_ = makeListButton("addFallback", "plus", texts.addFallback);
    addRow->addWidget(field_, 1);
    addRow->addWidget(add_);
    column->addLayout(addRow);

    auto* listRow = makeRow(metrics::kSettingsRowSpacing);
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("fallbackList"));
    list_->setAccessibleName(qText(texts.fallbackListName));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setFixedHeight(kVisibleRows * kRowHeight + kListFrame);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    empty_ = makeLabel(TextStyle::caption, QFont::Normal, true);
    empty_->setParent(list_->viewport());
    empty_->setObjectName(QStringLiteral("fallbackListEmpty"));
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setContentsMargins(8, 0, 8, 0);
    setLabelText(*empty_, texts.fallbackEmpty);
    listRow->addWidget(list_, 1);
    listRow->addWidget(buildButtons(), 0, Qt::AlignTop);
    column->addLayout(listRow);

    connect(field_, &QLineEdit::textChanged, this,
            [this](const QString& text) { view_.setFallbackDraft(text.toStdString()); });
    connect(field_, &QLineEdit::returnPressed, this, [this] { view_.addFallback(); });
    connect(add_, &PillButton::clicked, this, [this] { view_.addFallback(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        view_.selectFallback(row < 0 ? std::nullopt
                                     : std::optional<std::size_t>(static_cast<std::size_t>(row)));
    });
}

QWidget* FallbackListWidget::buildButtons() {
    const SettingsTexts& texts = view_.texts();
    auto* buttons = new QWidget;
    auto* column = makeColumn(metrics::kSettingsGroupSpacing);
    buttons->setLayout(column);
    remove_ = makeListButton("removeFallback", "minus", texts.removeFallback);
    up_ = makeListButton("moveFallbackUp", "chevron.up", texts.moveFallbackUp);
    down_ = makeListButton("moveFallbackDown", "chevron.down", texts.moveFallbackDown);
    up_->setToolTip(QStringLiteral("Alt+↑"));
    down_->setToolTip(QStringLiteral("Alt+↓"));
    remove_->setToolTip(QKeySequence(QKeySequence::Delete).toString(QKeySequence::NativeText));
    int width = 0;
    for (PillButton* button : {remove_, up_, down_}) {
        width = std::max(width, button->sizeHint().width());
        column->addWidget(button);
    }
    // One column of equal buttons, like the desktop's own list editors.
    for (PillButton* button : {remove_, up_, down_}) {
        button->setFixedWidth(width);
    }
    connect(remove_, &PillButton::clicked, this, [this] { view_.removeFallback(); });
    connect(up_, &PillButton::clicked, this, [this] { view_.moveFallbackUp(); });
    connect(down_, &PillButton::clicked, this, [this] { view_.moveFallbackDown(); });
    return buttons;
}

bool FallbackListWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool alt = key->modifiers() == Qt::AltModifier;
        if (watched == list_ && alt && key->key() == Qt::Key_Up) {
            view_.moveFallbackUp();
            return true;
        }
        if (watched == list_ && alt && key->key() == Qt::Key_Down) {
            view_.moveFallbackDown();
            return true;
        }
        if (watched == list_ && key->matches(QKeySequence::Delete)) {
            view_.removeFallback();
            return true;
        }
        if (watched == field_ && alt && key->key() == Qt::Key_Down) {
            showCandidates();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress && watched == field_ &&
               field_->text().isEmpty()) {
        showCandidates();
    } else if (event->type() == QEvent::Resize && watched == list_->viewport()) {
        empty_->setGeometry(list_->viewport()->rect());
    }
    return QWidget::eventFilter(watched, event);
}

void FallbackListWidget::showCandidates() {
    if (candidates_->rowCount() > 0) {
        completer_->setCompletionPrefix(field_->text());
        completer_->complete();
    }
}

void FallbackListWidget::render() {
    const Palette palette = Palette::current();
    const QString style = listStyle(palette);
    if (list_->styleSheet() != style) {
        list_->setStyleSheet(style);
    }
    styleTextField(*field_, palette);
    const FallbackListEditor& editor = view_.fallbackList();

    QStringList candidates;
    for (const std::string& name : view_.fallbackCandidates()) {
        candidates << qText(name);
    }
    if (candidates_->stringList() != candidates) {
        candidates_->setStringList(candidates);
    }
    // Only a change from elsewhere (an added entry empties it) replaces the typed text.
    if (field_->text().toStdString() != editor.draft()) {
        const QSignalBlocker quiet(field_);
        field_->setText(qText(editor.draft()));
    }
    add_->setEnabled(editor.canAdd());
    const std::string refusal = view_.fallbackRefusal();
    add_->setToolTip(qText(refusal));
    field_->setToolTip(qText(refusal));

    renderEntries();
    remove_->setEnabled(editor.canRemove());
    up_->setEnabled(editor.canMoveUp());
    down_->setEnabled(editor.canMoveDown());
}

void FallbackListWidget::renderEntries() {
    const FallbackListEditor& editor = view_.fallbackList();
    const std::vector<std::string> entries = editor.entries();
    const QSignalBlocker quiet(list_);
    if (entries != shownEntries_) {
        shownEntries_ = entries;
        list_->clear();
        for (const std::string& entry : entries) {
            auto* item = new QListWidgetItem(qText(entry), list_);
            item->setSizeHint(QSize(0, kRowHeight));
        }
    }
    const auto selected = editor.selected();
    list_->setCurrentRow(selected ? static_cast<int>(*selected) : -1);
    if (selected) {
        list_->scrollToItem(list_->item(static_cast<int>(*selected)));
    }
    setTextColor(*empty_, Palette::current().color(NamedColor::gray));
    empty_->setVisible(entries.empty());
}

}  // namespace tonvera
