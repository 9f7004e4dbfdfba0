#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "ui/settings_view.h"

class QCompleter;
class QLayout;
class QLineEdit;
class QListWidget;
class QStringListModel;

namespace tonvera {

class PillButton;

// The Settings window's ranking of outputs, laid out like the desktop's own list editors: a
// field with "Add" above the list, "Move Up", "Move Down" and "Remove" below it. The list
// holds the entries above the preferred output, its own fixed row (marked, never selected;
// the keys and the pointer pass it by) and the entries below. Alt+Up and Alt+Down move the
// selected entry, across the preferred row too, Delete removes it, and the field offers the
// found outputs (Alt+Down or a click opens them). Every press goes to the view, which holds
// the rules.
class RankingListWidget final : public QWidget {
    Q_OBJECT

  public:
    explicit RankingListWidget(SettingsView& view, QWidget* parent = nullptr);

    void render();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLayout* buildButtons();
    void renderRows();
    void showCandidates();

    SettingsView& view_;
    QLineEdit* field_ = nullptr;
    QCompleter* completer_ = nullptr;
    QStringListModel* candidates_ = nullptr;
    PillButton* add_ = nullptr;
    QListWidget* list_ = nullptr;
    PillButton* remove_ = nullptr;
    PillButton* up_ = nullptr;
    PillButton* down_ = nullptr;
    std::vector<SettingsView::RankingRow> shownRows_;
};

}  // namespace tonvera
