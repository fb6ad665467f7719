// The page tools of the editing tab: the magnifier and the hand on the paint box, the wheel
// over the page view, and the reactions to the zoom and page fields.
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/MainUnit.h"
#include "app/Cursors.h"
#include "app/PaintBox.h"
#include "view/PageRenderer.h"

namespace folivo::app {

namespace {

// One notch of an ordinary mouse wheel, in eighths of a degree.
constexpr int WheelNotch = 120;
// A notch moves by three lines of 12 pt body text with its line spacing.
constexpr double WheelStepPoints = 3 * 14.0;

int Clamped(int64_t value, const QScrollBar* bar)
{
    return static_cast<int>(std::clamp<int64_t>(value, 0, std::max(bar->maximum(), 0)));
}

// On the editing tab every wheel notch moves the page view by the window's own step. Over the
// page view (the scroll box with its viewport, paint box and bars) the step replaces the scroll
// box's own scrolling, so the event ends there. Elsewhere the widget under the mouse keeps the
// wheel (a spin box steps its value); what none of them takes reaches the window, which scrolls
// the page and leaves the event unhandled. Sideways wheels keep their ordinary scrolling.
class PageWheelFilter : public QObject {
public:
    explicit PageWheelFilter(TMainForm& form) : QObject(&form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel) return false;
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int delta = wheel->angleDelta().y();
        if (delta == 0 || form_.PageControl2->currentIndex() != TMainForm::EditTab) return false;
        Scroll(delta);
        if (watched == &form_) return false;
        wheel->accept();
        return true;
    }

private:
    void Scroll(int delta)
    {
        // Fine-grained wheels send parts of a notch; they add up to whole ones.
        remainder_ += delta;
        const int64_t notches = remainder_ / WheelNotch;
        remainder_ -= notches * WheelNotch;
        const QScrollBar* bar = form_.ScrollBox1->verticalScrollBar();
        for (int64_t i = 0; i < std::abs(notches); ++i) {
            const int before = bar->value();
            const int page = form_.PageEd->value();
            if (notches > 0) form_.FormMouseWheelUp();
            else form_.FormMouseWheelDown();
            // At the first or last page's end nothing moves; a page turn takes the rest of a
            // fast turn of the wheel, so that it never skips a page unseen.
            if (bar->value() == before || form_.PageEd->value() != page) {
                remainder_ = 0;
                break;
            }
        }
    }

    TMainForm& form_;
    int64_t remainder_ = 0;
};

}  // namespace

void TMainForm::SetUpPageTools()
{
    ScreenCursors.RegisterProgramCursors();
    // The tool buttons show the cursor that their tool puts over the page.
    LupeBtn->setIcon(QIcon(QPixmap(ProgramCursorImage(LupeCursorSlot).resource)));
    HandBtn->setIcon(QIcon(QPixmap(ProgramCursorImage(DragCursorSlot).resource)));
    auto* wheel = new PageWheelFilter(*this);
    for (QObject* watched : std::initializer_list<QObject*>{this, ScrollBox1, ScrollBox1->viewport(), PaintBox1,
                                                            ScrollBox1->horizontalScrollBar(),
                                                            ScrollBox1->verticalScrollBar()})
        watched->installEventFilter(wheel);
    SetUpPageKeys();
    setdragmod();
}

void TMainForm::PaintBox1MouseDown(Qt::MouseButton button, int x, int y)
{
    if (button == Qt::LeftButton && HandBtn->isChecked()) {
        Panning = true;
        PanStartX = x;
        PanStartY = y;
        return;
    }
    if (LupeBtn->isChecked()) MagnifierStep(x, y, button == Qt::LeftButton);
}

void TMainForm::MagnifierStep(int x, int y, bool zoomIn)
{
    // The flag below would end a reading that is running its message loop.
    if (ReadingInProgress()) return;
    const int z0 = ZoomEd->value();
    // The click in zoom-free units; whole units, so the centre moves by up to one unit. Drawing
    // pixels serve, turned page or not: the drawing grows from its top-left corner with the zoom.
    const int64_t px = static_cast<int64_t>(std::trunc(static_cast<double>(x) / z0));
    const int64_t py = static_cast<int64_t>(std::trunc(static_cast<double>(y) / z0));
    // Changing the zoom, resizing and scrolling draw nothing: the page is drawn once, at the
    // end, at the new zoom and position.
    document().readingInProgress = true;
    // The field rounds (halves to even) and clamps.
    ZoomEd->setValue(static_cast<int>(std::nearbyint(zoomIn ? z0 * 1.5 : z0 / 1.5)));
    const int z1 = ZoomEd->value();
    const QSize size = PageDrawingSize(document(), PageEd->value(), z1, PageViewResolution());
    PaintBox1->SetBoxSize(size.width(), size.height());
    // The scroll box learns the new size from the box's resize event, which a hidden box gets
    // only when shown, and shows or hides its bars only on a later turn of the event loop: ask
    // for both now, so the positions below are clamped to the bars' new ranges.
    QEvent layoutRequest(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(ScrollBox1, &layoutRequest);
    const QWidget* viewport = ScrollBox1->viewport();
    ScrollPageView(z1 * px - viewport->width() / 2, z1 * py - viewport->height() / 2);
    document().readingInProgress = false;
    PaintBox1Paint();
}

void TMainForm::ScrollPageView(int64_t horizontal, int64_t vertical)
{
    QScrollBar* hbar = ScrollBox1->horizontalScrollBar();
    QScrollBar* vbar = ScrollBox1->verticalScrollBar();
    hbar->setValue(Clamped(horizontal, hbar));
    vbar->setValue(Clamped(vertical, vbar));
}

void TMainForm::PaintBox1MouseMove(int x, int y)
{
    if (!Panning) {
        setdragmod();
        return;
    }
    // The box moves with the scroll position, so the grabbed point stays under the mouse and
    // the grab point itself never changes.
    ScrollPageView(int64_t{ScrollBox1->horizontalScrollBar()->value()} + (int64_t{PanStartX} - x),
                   int64_t{ScrollBox1->verticalScrollBar()->value()} + (int64_t{PanStartY} - y));
}

void TMainForm::PaintBox1MouseUp() { Panning = false; }

int TMainForm::WheelStepPixels() const
{
    const double pixels = WheelStepPoints * PageViewResolution() / 72.0 * ZoomEd->value() / 100.0;
    return std::max(1, static_cast<int>(std::lround(pixels)));
}

void TMainForm::FormMouseWheelUp()
{
    if (PageControl2->currentIndex() != EditTab) return;
    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    if (bar->value() <= 0) TurnPage(-1);
    else bar->setValue(Clamped(int64_t{bar->value()} - WheelStepPixels(), bar));
}

void TMainForm::FormMouseWheelDown()
{
    if (PageControl2->currentIndex() != EditTab) return;
    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    if (bar->value() >= bar->maximum()) TurnPage(1);
    else bar->setValue(Clamped(int64_t{bar->value()} + WheelStepPixels(), bar));
}

void TMainForm::ZoomEdChange() { PaintBox1Paint(); }

void TMainForm::PageEdChange()
{
    const int pageCount = PageCount();
    if (pageCount > 0 && PageEd->value() > pageCount) {
        // The field's own change event comes back here with the page count and repaints.
        PageEd->setValue(pageCount);
        return;
    }
    document().currentPageNumber = PageEd->value();
    // A new page is read from its top; the horizontal position stays, as for a column.
    ScrollPageViewToTop(false);
    PaintBox1Paint();
}

void TMainForm::ScrollPageViewToTop(bool fromLeft)
{
    ScrollBox1->verticalScrollBar()->setValue(0);
    if (fromLeft) ScrollBox1->horizontalScrollBar()->setValue(0);
}

void TMainForm::LupeBtnClick()
{
    PaintBox1Paint();
    setdragmod();
}

void TMainForm::HandBtnClick()
{
    PaintBox1Paint();
    setdragmod();
}

void TMainForm::setcursor_(int slot)
{
    if (slot == paintBoxCursorSlot_) return;
    paintBoxCursorSlot_ = slot;
    PaintBox1->setCursor(ScreenCursors.Cursor(slot));
}

void TMainForm::setdragmod()
{
    if (LupeBtn->isChecked()) setcursor_(LupeCursorSlot);
    else if (HandBtn->isChecked()) setcursor_(DragCursorSlot);
    else setcursor_(ArrowCursorSlot);
}

}  // namespace folivo::app
