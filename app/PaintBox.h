// The page view's paint box: shows the picture of the current page that the main window hands
// it, at its own size, and reports the mouse in its own pixels.
#pragma once

#include <QImage>
#include <QWidget>

namespace folivo::app {

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget* parent = nullptr);

    // Takes the picture and sizes the box to it.
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    // Sizes the box without a new picture (negative sides count as 0).
    void SetBoxSize(int width, int height);

signals:
    void MouseDown(Qt::MouseButton button, int x, int y);
    // Also without a button held, so that the tool cursor follows the mouse.
    void MouseMove(int x, int y);
    void MouseUp(Qt::MouseButton button, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
};

}  // namespace folivo::app
