#include "app/PaintBox.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace folivo::app {

namespace {

// The pixel under the mouse: positions can be fractional on scaled screens.
int Pixel(double coordinate)
{
    return static_cast<int>(std::clamp(std::floor(coordinate), -double(QWIDGETSIZE_MAX), double(QWIDGETSIZE_MAX)));
}

}  // namespace

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TPaintBox::SetPicture(const QImage& picture)
{
    picture_ = picture;
    // A picture drawn for a HiDPI screen has more pixels than the box it fills.
    setFixedSize(picture_.isNull() ? QSize(0, 0) : picture_.deviceIndependentSize().toSize());
    update();
}

void TPaintBox::SetBoxSize(int width, int height)
{
    setFixedSize(std::clamp(width, 0, QWIDGETSIZE_MAX), std::clamp(height, 0, QWIDGETSIZE_MAX));
}

void TPaintBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
}

void TPaintBox::mousePressEvent(QMouseEvent* event)
{
    emit MouseDown(event->button(), Pixel(event->position().x()), Pixel(event->position().y()));
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove(Pixel(event->position().x()), Pixel(event->position().y()));
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event)
{
    emit MouseUp(event->button(), Pixel(event->position().x()), Pixel(event->position().y()));
}

}  // namespace folivo::app
