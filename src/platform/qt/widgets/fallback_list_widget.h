#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QCompleter;
class QLabel;
class QLineEdit;
class QListWidget;
class QStringListModel;

namespace tonvera {

class PillButton;
class SettingsView;

// The Settings window's list of outputs for while the preferred one is away, laid out like the
// desktop's own list editors: a field with "Add" above the list, "Remove", "Move Up" and
// "Move Down" beside it. Alt+Up and Alt+Down move the selected entry, Delete removes it, and
// the field offers the found outputs (Alt+Down or a click opens them). Every press goes to the
// view, which holds the rules.
class FallbackListWidget final : public QWidget {
    Q_OBJECT

  public:
    explicit FallbackListWidget(SettingsView& view, QWidget* parent = nullptr);

    void render();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildButtons();
    void renderEntries();
    void showCandidates();

    SettingsView& view_;
    QLineEdit* field_ = nullptr;
    QCompleter* completer_ = nullptr;
    QStringListModel* candidates_ = nullptr;
    PillButton* add_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* empty_ = nullptr;
    PillButton* remove_ = nullptr;
    PillButton* up_ = nullptr;
    PillButton* down_ = nullptr;
    std::vector<std::string> shownEntries_;
};

}  // namespace tonvera
