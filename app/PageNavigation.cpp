// Paging through the document on the editing tab: past the end of a page onto the next one and
// back onto the end of the previous one, and the keys a reader expects for it.
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <algorithm>

#include "app/MainUnit.h"

namespace folivo::app {

namespace {

// Fields that take typing keep every key, Home and End and the space bar included.
bool TakesTyping(const QWidget* widget)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->isEditable();
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

// Watches the page view and, for keys that its other widgets leave alone (they travel up to
// their parents), the editing page and the window. The page view's own paging stays within the
// page, so the keys are taken before it sees them. A button keeps its space bar.
class PageKeyFilter : public QObject {
public:
    explicit PageKeyFilter(TMainForm& form) : QObject(&form), form_(form) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) return false;
        if (form_.PageControl2->currentIndex() != TMainForm::EditTab || TakesTyping(QApplication::focusWidget()))
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        switch (key->key()) {
        case Qt::Key_PageDown:
        case Qt::Key_Space: form_.PageViewPageDown(); break;
        case Qt::Key_PageUp: form_.PageViewPageUp(); break;
        case Qt::Key_Home: form_.ShowPage(1, false); break;
        case Qt::Key_End: form_.ShowPage(std::max(form_.PageCount(), 1), false); break;
        default: return false;
        }
        key->accept();
        return true;
    }

private:
    TMainForm& form_;
};

}  // namespace

void TMainForm::SetUpPageKeys()
{
    auto* keys = new PageKeyFilter(*this);
    for (QObject* watched : std::initializer_list<QObject*>{this, ScrollBox1->parentWidget(), ScrollBox1})
        watched->installEventFilter(keys);
}

int TMainForm::PageCount() const { return static_cast<int>(std::min<uint32_t>(document().pages.Count(), INT32_MAX)); }

bool TMainForm::TurnPage(int step)
{
    // The page field of a document being read is about to start again at 1.
    if (ReadingInProgress() || !DocumentOpen()) return false;
    const int64_t page = int64_t{PageEd->value()} + step;
    if (page < 1 || page > PageCount()) return false;
    ShowPage(static_cast<int>(page), step < 0);
    return true;
}

void TMainForm::ShowPage(int page, bool atItsEnd)
{
    if (ReadingInProgress() || !DocumentOpen()) return;
    // The field's change event draws the page from its top; the same page is only scrolled.
    if (PageEd->value() == page) ScrollPageViewToTop(false);
    else PageEd->setValue(page);
    if (!atItsEnd) return;
    // The bars take the new page's size on a later turn of the event loop unless asked now.
    QEvent layoutRequest(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(ScrollBox1, &layoutRequest);
    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void TMainForm::PageViewPageDown()
{
    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    if (bar->value() >= bar->maximum()) TurnPage(1);
    else bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
}

void TMainForm::PageViewPageUp()
{
    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    if (bar->value() <= 0) TurnPage(-1);
    else bar->triggerAction(QAbstractSlider::SliderPageStepSub);
}

}  // namespace folivo::app
