#include "platform/qt/widgets/ranking_list_widget.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStringListModel>

#include "platform/qt/widgets/onboarding_page_parts.h"
#include "platform/qt/widgets/palette.h"
#include "platform/qt/widgets/pill_button.h"

namespace tonvera {
namespace {

// The preferred row and five entries show without scrolling; more scroll inside the list.
constexpr int kVisibleRows = 6;
constexpr int kRowHeight = metrics::kMinTarget + 2;
constexpr int kListFrame = 2 * 3;

QString listStyle(const Palette& palette) {
    return QStringLiteral(
               "QListWidget { border: 1px solid %1; border-radius: 6px; background: %2;"
               " padding: 2px; outline: none; }"
               "QListWidget:focus { border: 2px solid %3; padding: 1px; }"
               "QListWidget::item { color: %4; padding: 0 6px; border-radius: 4px; }"
               "QListWidget::item:selected { background: %5; color: white; }"
               // The preferred output's row, the only one that cannot be selected: tinted and
               // edged in the accent colour, its text as strong as the others'.
               "QListWidget::item:disabled { background: %6; color: %4;"
               " border-left: 3px solid %3; border-radius: 0; }")
        .arg(palette.controlEdge().name(), palette.fieldBackground().name(),
             palette.color(NamedColor::accent).name(), palette.primaryText().name(),
             palette.prominentFill().name(),
             palette.color(NamedColor::accent, palette.isDark() ? 0.28 : 0.14)
                 .name(QColor::HexArgb));
}

PillButton* makeListButton(const char* name, const char* symbol, const std::string& text) {
    auto* button = new PillButton(PillButton::Kind::bordered, PillButton::Size::regular);
    button->setObjectName(QString::fromLatin1(name));
    button->setSymbol(symbol);
    button->setLabel(qText(text));
    return button;
}

}  // namespace

RankingListWidget::RankingListWidget(SettingsView& view, QWidget* parent)
    : QWidget(parent), view_(view) {
    const SettingsTexts& texts = view_.texts();
    auto* column = makeColumn(metrics::kSettingsGroupSpacing);
    setLayout(column);

    auto* addRow = makeRow(metrics::kSettingsRowSpacing);
    field_ = new QLineEdit;
    field_->setObjectName(QStringLiteral("rankingName"));
    field_->setPlaceholderText(qText(texts.rankingPlaceholder));
    field_->setAccessibleName(qText(texts.rankingPlaceholder));
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
    add_ = makeListButton("addToRanking", "plus", texts.addToRanking);
    addRow->addWidget(field_, 1);
    addRow->addWidget(add_);
    column->addLayout(addRow);

    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("rankingList"));
    list_->setAccessibleName(qText(texts.rankingListName));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setFixedHeight(kVisibleRows * kRowHeight + kListFrame);
    list_->installEventFilter(this);
    // The buttons below the list leave it the column's whole width, which the preferred row's
    // longer text needs.
    column->addWidget(list_);
    column->addLayout(buildButtons());

    connect(field_, &QLineEdit::textChanged, this,
            [this](const QString& text) { view_.setRankingDraft(text.toStdString()); });
    connect(field_, &QLineEdit::returnPressed, this, [this] { view_.addToRanking(); });
    connect(add_, &PillButton::clicked, this, [this] { view_.addToRanking(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        view_.selectRankingRow(row < 0 ? std::nullopt
                                       : std::optional<std::size_t>(static_cast<std::size_t>(row)));
    });
}

QLayout* RankingListWidget::buildButtons() {
    const SettingsTexts& texts = view_.texts();
    auto* row = makeRow(metrics::kSettingsRowSpacing);
    remove_ = makeListButton("removeFromRanking", "minus", texts.removeFromRanking);
    up_ = makeListButton("moveUp", "chevron.up", texts.moveUp);
    down_ = makeListButton("moveDown", "chevron.down", texts.moveDown);
    up_->setToolTip(QStringLiteral("Alt+↑"));
    down_->setToolTip(QStringLiteral("Alt+↓"));
    remove_->setToolTip(QKeySequence(QKeySequence::Delete).toString(QKeySequence::NativeText));
    // Moving apart from removing, so a quick series of moves cannot end in a removal.
    row->addWidget(up_);
    row->addWidget(down_);
    row->addStretch(1);
    row->addWidget(remove_);
    connect(remove_, &PillButton::clicked, this, [this] { view_.removeFromRanking(); });
    connect(up_, &PillButton::clicked, this, [this] { view_.moveRankingRowUp(); });
    connect(down_, &PillButton::clicked, this, [this] { view_.moveRankingRowDown(); });
    return row;
}

bool RankingListWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool alt = key->modifiers() == Qt::AltModifier;
        if (watched == list_ && alt && key->key() == Qt::Key_Up) {
            view_.moveRankingRowUp();
            return true;
        }
        if (watched == list_ && alt && key->key() == Qt::Key_Down) {
            view_.moveRankingRowDown();
            return true;
        }
        if (watched == list_ && key->matches(QKeySequence::Delete)) {
            view_.removeFromRanking();
            return true;
        }
        if (watched == field_ && alt && key->key() == Qt::Key_Down) {
            showCandidates();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress && watched == field_ &&
               field_->text().isEmpty()) {
        showCandidates();
    }
    return QWidget::eventFilter(watched, event);
}

void RankingListWidget::showCandidates() {
    if (candidates_->rowCount() > 0) {
        completer_->setCompletionPrefix(field_->text());
        completer_->complete();
    }
}

void RankingListWidget::render() {
    const Palette palette = Palette::current();
    const QString style = listStyle(palette);
    if (list_->styleSheet() != style) {
        list_->setStyleSheet(style);
    }
    styleTextField(*field_, palette);
    const RankingEditor& editor = view_.ranking();

    QStringList candidates;
    for (const std::string& name : view_.rankingCandidates()) {
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
    const std::string refusal = view_.rankingRefusal();
    add_->setToolTip(qText(refusal));
    field_->setToolTip(qText(refusal));

    renderRows();
    remove_->setEnabled(editor.canRemove());
    up_->setEnabled(editor.canMoveUp());
    down_->setEnabled(editor.canMoveDown());
}

void RankingListWidget::renderRows() {
    const std::vector<SettingsView::RankingRow> rows = view_.rankingRows();
    const QSignalBlocker quiet(list_);
    if (rows != shownRows_) {
        shownRows_ = rows;
        list_->clear();
        for (const SettingsView::RankingRow& row : rows) {
            auto* item = new QListWidgetItem(qText(row.text), list_);
            item->setSizeHint(QSize(0, kRowHeight));
            item->setData(Qt::AccessibleTextRole, qText(row.accessibleName));
            // A long name is cut short in the row; the tip shows it whole.
            item->setToolTip(qText(row.text));
            if (row.preferred) {
                // Neither selectable nor enabled: the arrow keys and clicks pass it by.
                item->setFlags(Qt::NoItemFlags);
                QFont bold = list_->font();
                bold.setBold(true);
                item->setFont(bold);
            }
        }
    }
    const auto selected = view_.ranking().selected();
    list_->setCurrentRow(selected ? static_cast<int>(*selected) : -1);
    if (selected) {
        list_->scrollToItem(list_->item(static_cast<int>(*selected)));
    }
}

}  // namespace tonvera
