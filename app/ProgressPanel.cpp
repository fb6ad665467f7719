#include "app/ProgressPanel.h"

#include <QPainter>

namespace folivo::app {

TProgressPanel::TProgressPanel(QWidget* parent) : QWidget(parent) {}

int TProgressPanel::BarWidth() const { return progress_ * width() / 100; }

void TProgressPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor navy(0, 0, 128);
    painter.setPen(navy);
    painter.setBrush(navy);
    painter.fillRect(QRect(0, 0, BarWidth(), height()), navy);
}

}  // namespace folivo::app
