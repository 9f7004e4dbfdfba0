#pragma once

#include <QIcon>
#include <QWidget>

namespace tonvera {

// A picture as wide as its room, its aspect ratio kept, clipped to rounded
// corners and outlined.
class PictureView final : public QWidget {
    Q_OBJECT

  public:
    explicit PictureView(QWidget* parent = nullptr);

    // The picture and its natural size (which gives the aspect ratio).
    void setPicture(const QIcon& picture, QSize naturalSize);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QIcon picture_;
    QSize natural_{1, 1};
};

}  // namespace tonvera
