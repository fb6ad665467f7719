#include "app/PaintBox.h"

#include <QPaintEvent>
#include <QPainter>

namespace folivo::app {

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TPaintBox::SetPicture(const QImage& picture)
{
    picture_ = picture;
    setFixedSize(picture_.isNull() ? QSize(0, 0) : picture_.size());
    update();
}

void TPaintBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
}

}  // namespace folivo::app
