#pragma once

#include <QLabel>
#include <QString>

#include "platform/qt/widgets/palette.h"

namespace tonvera {

// One line of text that takes the width the layout gives it, shows as much as fits with an
// ellipsis, and the whole text as its tool tip when cut. Its line keeps its height while empty,
// so a status shown in it never moves what lies below.
class ElidedLabel final : public QLabel {
    Q_OBJECT

  public:
    explicit ElidedLabel(TextStyle style, QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void elide();

    QString full_;
};

}  // namespace tonvera
