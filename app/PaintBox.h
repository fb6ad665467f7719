// The page view's paint box: shows the picture of the current page that the main window hands
// it, at its own size.
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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

}  // namespace folivo::app
