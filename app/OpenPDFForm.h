// The progress window of a reading: shown inside the main window, never modal. Its memo keeps
// the lines of every reading of the run.
#pragma once

#include <QFrame>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace folivo::app {

class TOpenPDFForm : public QFrame {
    Q_OBJECT
public:
    explicit TOpenPDFForm(QWidget* parent = nullptr);

    // "Aktion abbrechen" only raises the cancel request through this.
    std::function<void()> onBreak;

    QProgressBar* ProgressBar1;
    QLabel* Label1;
    QLabel* InfoLabel;
    QPushButton* BreakBtn;
    QPlainTextEdit* Memo1;

    void BreakBtnClick();
    // Shows the window centred over its parent and in front of its siblings.
    void ShowCentred();
};

}  // namespace folivo::app
