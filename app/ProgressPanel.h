// The status bar's drawn panel: the one progress percentage as a navy bar.
#pragma once

#include <QWidget>

namespace folivo::app {

class TProgressPanel : public QWidget {
    Q_OBJECT
public:
    explicit TProgressPanel(QWidget* parent = nullptr);

    int Progress() const { return progress_; }
    // Stores the percentage without drawing.
    void SetProgress(int value) { progress_ = value; }
    // Width of the bar for the panel's current width.
    int BarWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int progress_ = 0;
};

}  // namespace folivo::app
