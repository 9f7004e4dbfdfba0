#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>
#include <string>
#include <vector>

namespace tonvera {

class OnboardingView;
class PictureView;
class PillButton;
class RoundedCard;
class ElidedLabel;
class StatusMark;
class SymbolBadge;

// The last onboarding page: the Sound-item check, the speaker's name with its test, the
// search for outputs and the list of what was found.
class OnboardingSpeakerPage final : public QWidget {
    Q_OBJECT

  public:
    // `picturePath` names the illustration of the "always show" setting; when no such file
    // exists the page leaves the picture out.
    OnboardingSpeakerPage(OnboardingView& view, QString picturePath, QWidget* parent = nullptr);

    void render(const OnboardingView& view);

  private:
    struct FoundRow {
        std::string name;
        RoundedCard* card = nullptr;
        QLabel* label = nullptr;
        SymbolBadge* check = nullptr;
        PillButton* apply = nullptr;
    };

    void buildSoundCard(OnboardingView& view);
    void buildNameSection(OnboardingView& view);
    void buildSearch(OnboardingView& view);
    void renderSoundCard(const OnboardingView& view);
    void renderPicture(bool wanted);
    void renderFoundList(const OnboardingView& view);
    void rebuildFoundRows(const std::vector<std::string>& names);

    OnboardingView& view_;
    QString picturePath_;
    QVBoxLayout* page_ = nullptr;

    QLabel* title_ = nullptr;
    QLabel* introduction_ = nullptr;

    RoundedCard* soundCard_ = nullptr;
    StatusMark* soundDot_ = nullptr;
    QLabel* soundHeading_ = nullptr;
    PillButton* checkAgain_ = nullptr;
    QLabel* soundFound_ = nullptr;
    QWidget* soundMissing_ = nullptr;
    QLabel* soundMissingText_ = nullptr;
    QLabel* soundPath_ = nullptr;
    QWidget* pictureBlock_ = nullptr;
    QLabel* pictureCaption_ = nullptr;
    PictureView* picture_ = nullptr;
    QString shownPicture_;
    PillButton* openControlCenter_ = nullptr;

    QLabel* nameHeading_ = nullptr;
    QLineEdit* nameField_ = nullptr;
    PillButton* test_ = nullptr;
    StatusMark* statusMark_ = nullptr;
    ElidedLabel* status_ = nullptr;

    PillButton* search_ = nullptr;
    QLabel* permissionRequired_ = nullptr;

    QWidget* tip_ = nullptr;
    SymbolBadge* tipSymbol_ = nullptr;
    QLabel* tipText_ = nullptr;

    QWidget* found_ = nullptr;
    QLabel* foundHeading_ = nullptr;
    RoundedCard* foundCard_ = nullptr;
    QVBoxLayout* foundRowsLayout_ = nullptr;
    std::vector<FoundRow> foundRows_;
    std::vector<std::string> shownNames_;

    RoundedCard* closingNote_ = nullptr;
    SymbolBadge* closingSymbol_ = nullptr;
    QLabel* closingText_ = nullptr;
};

}  // namespace tonvera
