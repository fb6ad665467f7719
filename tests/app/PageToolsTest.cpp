// The page tools of the editing tab: magnifier steps and their centring, panning with the hand,
// the wheel and the paging keys, the tool cursors and the page field's limit.
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <vector>

#include "app/Cursors.h"
#include "app/PaintBox.h"
#include "tests/app/AppTestSupport.h"
#include "view/PageRenderer.h"

namespace folivo::test {
namespace {

using app::TMainForm;

// The main window shown with the two-page sample open on the editing tab.
class PageToolsTest : public testing::Test {
protected:
    void SetUp() override
    {
        windows_ = std::make_unique<Windows>(folder_.File(""));
        form().openfilenow(QString::fromStdString(CopySample(folder_, "sample.pdf")));
        form().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
        QCoreApplication::processEvents();
        ASSERT_EQ(form().PageControl2->currentIndex(), 1);
        ASSERT_EQ(form().document().pages.Count(), 2u);
    }

    TMainForm& form() { return windows_->main; }
    QScrollBar* hbar() { return form().ScrollBox1->horizontalScrollBar(); }
    QScrollBar* vbar() { return form().ScrollBox1->verticalScrollBar(); }
    QWidget* viewport() { return form().ScrollBox1->viewport(); }
    // The paint-box point shown at the viewport's centre, moved by offset.
    QPoint VisiblePoint(QPoint offset = {}) { return form().PaintBox1->mapFrom(viewport(), viewport()->rect().center() + offset); }
    void SetZoom(int zoom)
    {
        form().ZoomEd->setValue(zoom);
        QCoreApplication::processEvents();
    }

    ScratchFolder folder_;
    std::unique_ptr<Windows> windows_;
};

// A wheel notch as the application delivers one from the platform: to the widget under the
// mouse, then to its parents up to the window while none accepts it.
void Wheel(QWidget* target, int angleDelta, bool sideways = false)
{
    const QPoint delta = sideways ? QPoint(angleDelta, 0) : QPoint(0, angleDelta);
    for (QWidget* widget = target; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        const QPoint position = widget->rect().center();
        QWheelEvent event(position, widget->mapToGlobal(position), QPoint(), delta, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        event.ignore();
        if (QCoreApplication::sendEvent(widget, &event) && event.isAccepted()) return;
    }
}

QImage CursorImage(const QCursor& cursor) { return cursor.pixmap().toImage(); }

TEST(ProgramCursors, EachSlotLoadsItsImageWithItsHotSpot)
{
    for (const int slot : {app::DragCursorSlot, app::LupeCursorSlot, app::ArrowCursorSlot}) {
        const app::CursorImage image = app::ProgramCursorImage(slot);
        const QPixmap pixmap(image.resource);
        ASSERT_FALSE(pixmap.isNull()) << slot;
        EXPECT_EQ(pixmap.size(), QSize(32, 32)) << slot;
        const QCursor cursor = app::LoadProgramCursor(slot);
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << slot;
        EXPECT_EQ(cursor.hotSpot(), image.hotSpot) << slot;
    }
    // The arrow's tip and the hand's middle are drawn; the magnifier's lens is clear in the
    // middle, within its rim.
    const auto alphaAt = [](int slot, QPoint point) {
        return qAlpha(QPixmap(app::ProgramCursorImage(slot).resource).toImage().pixel(point));
    };
    EXPECT_GT(alphaAt(app::ArrowCursorSlot, {0, 0}), 0);
    EXPECT_GT(alphaAt(app::DragCursorSlot, app::ProgramCursorImage(app::DragCursorSlot).hotSpot), 0);
    EXPECT_EQ(alphaAt(app::LupeCursorSlot, {12, 12}), 0);
    EXPECT_GT(alphaAt(app::LupeCursorSlot, {12, 3}), 0);

    EXPECT_EQ(app::LoadProgramCursor(5).shape(), Qt::ArrowCursor);
    EXPECT_EQ(app::CursorSlots().Cursor(app::LupeCursorSlot).shape(), Qt::ArrowCursor);
}

TEST_F(PageToolsTest, MagnifierStepsInAndOutWithinTheFieldsLimits)
{
    ASSERT_EQ(form().ZoomEd->value(), 50);
    std::vector<int> zooms;
    for (int i = 0; i < 6; ++i) {
        QTest::mouseClick(form().PaintBox1, Qt::LeftButton, {}, VisiblePoint());
        zooms.push_back(form().ZoomEd->value());
    }
    EXPECT_EQ(zooms, (std::vector<int>{75, 112, 168, 252, 300, 300}));

    zooms.clear();
    for (int i = 0; i < 10; ++i) {
        QTest::mouseClick(form().PaintBox1, Qt::RightButton, {}, VisiblePoint());
        zooms.push_back(form().ZoomEd->value());
    }
    EXPECT_EQ(zooms, (std::vector<int>{200, 133, 89, 59, 39, 26, 17, 11, 10, 10}));
    // The box always has the page's size at the zoom, and the view is drawn again.
    EXPECT_EQ(form().PaintBox1->size(), PageDrawingSize(form().document(), 1, 10, 96));
    EXPECT_EQ(form().PaintBox1->Picture().size(), form().PaintBox1->size());
    EXPECT_FALSE(form().document().readingInProgress);
}

TEST_F(PageToolsTest, MagnifierCentresTheClickedPointWithTheNewRanges)
{
    // From 50 (no bars yet) to 75: the positions are taken against the ranges of the new size,
    // and the ranges are already the ones the scroll box settles on.
    const QPoint click(300, 400);
    form().PaintBox1MouseDown(Qt::LeftButton, click.x(), click.y());
    ASSERT_EQ(form().ZoomEd->value(), 75);
    EXPECT_EQ(form().PaintBox1->size(), PageDrawingSize(form().document(), 1, 75, 96));
    const int h = 75 * (300 / 50) - viewport()->width() / 2;
    const int v = 75 * (400 / 50) - viewport()->height() / 2;
    ASSERT_GT(h, 0);
    ASSERT_GT(v, 0);
    EXPECT_EQ(hbar()->value(), std::min(h, hbar()->maximum()));
    EXPECT_EQ(vbar()->value(), std::min(v, vbar()->maximum()));
    const int hmax = hbar()->maximum();
    const int vmax = vbar()->maximum();
    QCoreApplication::processEvents();
    EXPECT_EQ(hbar()->maximum(), hmax);
    EXPECT_EQ(vbar()->maximum(), vmax);
    EXPECT_EQ(hbar()->value(), std::min(h, hmax));

    // At 300 the zoom stays and the clicked point (in whole zoom-free units) comes to the middle.
    SetZoom(300);
    hbar()->setValue(hbar()->maximum() / 2);
    vbar()->setValue(vbar()->maximum() / 2);
    const QPoint point = VisiblePoint(QPoint(37, -23));
    QTest::mouseClick(form().PaintBox1, Qt::LeftButton, {}, point);
    EXPECT_EQ(form().ZoomEd->value(), 300);
    const QPoint grid(300 * (point.x() / 300), 300 * (point.y() / 300));
    EXPECT_EQ(form().PaintBox1->mapTo(viewport(), grid), QPoint(viewport()->width() / 2, viewport()->height() / 2));

    // Near the page's bottom-right corner the view goes as far as the ranges allow.
    hbar()->setValue(hbar()->maximum());
    vbar()->setValue(vbar()->maximum());
    const QPoint corner = form().PaintBox1->rect().bottomRight() - QPoint(2, 2);
    QTest::mouseClick(form().PaintBox1, Qt::LeftButton, {}, corner);
    EXPECT_EQ(hbar()->value(), std::min(300 * (corner.x() / 300) - viewport()->width() / 2, hbar()->maximum()));
    EXPECT_EQ(vbar()->value(), std::min(300 * (corner.y() / 300) - viewport()->height() / 2, vbar()->maximum()));
    EXPECT_EQ(vbar()->value(), vbar()->maximum());

    // Near the top-left corner the negative targets give 0, 0.
    SetZoom(168);
    hbar()->setValue(0);
    vbar()->setValue(0);
    QTest::mouseClick(form().PaintBox1, Qt::LeftButton, {}, QPoint(3, 4));
    EXPECT_EQ(form().ZoomEd->value(), 252);
    EXPECT_GT(hbar()->maximum(), 0);
    EXPECT_EQ(hbar()->value(), 0);
    EXPECT_EQ(vbar()->value(), 0);
}

TEST_F(PageToolsTest, HandPansAndStopsAtTheEndOfTheBars)
{
    form().HandBtn->click();
    ASSERT_TRUE(form().HandBtn->isChecked());
    SetZoom(150);
    hbar()->setValue(100);
    vbar()->setValue(50);

    // The hand ignores other buttons.
    QTest::mouseClick(form().PaintBox1, Qt::RightButton, {}, VisiblePoint());
    EXPECT_EQ(form().ZoomEd->value(), 150);
    EXPECT_FALSE(form().Panning);

    const QPoint grab = VisiblePoint();
    QTest::mousePress(form().PaintBox1, Qt::LeftButton, {}, grab);
    EXPECT_TRUE(form().Panning);
    // Left by 30 and far up: the page follows to the right and past its bottom.
    QTest::mouseMove(form().PaintBox1, grab + QPoint(-30, -20000));
    EXPECT_EQ(hbar()->value(), 130);
    EXPECT_EQ(vbar()->value(), vbar()->maximum());
    EXPECT_EQ(QPoint(form().PanStartX, form().PanStartY), grab);
    // Back by 10: positions move from where they are, the grab point stays.
    form().PaintBox1MouseMove(grab.x() + 10, grab.y());
    EXPECT_EQ(hbar()->value(), 120);
    EXPECT_EQ(vbar()->value(), vbar()->maximum());
    form().PaintBox1MouseMove(grab.x() + 5000, grab.y() + 90000);
    EXPECT_EQ(hbar()->value(), 0);
    EXPECT_EQ(vbar()->value(), 0);
    QTest::mouseRelease(form().PaintBox1, Qt::LeftButton, {}, grab);
    EXPECT_FALSE(form().Panning);
    form().PaintBox1MouseMove(grab.x() - 50, grab.y() - 50);
    EXPECT_EQ(hbar()->value(), 0);
    EXPECT_EQ(form().ZoomEd->value(), 150);
}

TEST_F(PageToolsTest, WheelScrollsTheEditingTabByThreeLinesAndNothingElsewhere)
{
    // Three lines of 14 pt at 96 pixels per inch and 100 %: 56 pixels.
    SetZoom(100);
    vbar()->setValue(100);
    ASSERT_GT(vbar()->maximum(), 400);

    // Over the page view the window's step replaces the scroll box's own.
    Wheel(form().PaintBox1, -120);
    EXPECT_EQ(vbar()->value(), 156);
    Wheel(viewport(), -240);
    EXPECT_EQ(vbar()->value(), 268);
    Wheel(vbar(), 120);
    EXPECT_EQ(vbar()->value(), 212);
    // Parts of a notch add up.
    Wheel(form().PaintBox1, -60);
    EXPECT_EQ(vbar()->value(), 212);
    Wheel(form().PaintBox1, -60);
    EXPECT_EQ(vbar()->value(), 268);
    // Over a label or a tool button the wheel passes up to the window, which scrolls once.
    Wheel(form().Label6, 120);
    EXPECT_EQ(vbar()->value(), 212);
    Wheel(form().LupeBtn, -120);
    EXPECT_EQ(vbar()->value(), 268);
    // The zoom field keeps its own wheel.
    Wheel(form().ZoomEd, 120);
    EXPECT_EQ(form().ZoomEd->value(), 110);
    EXPECT_EQ(vbar()->value(), 268);
    // Sideways the scroll box scrolls as usual.
    hbar()->setValue(100);
    Wheel(form().PaintBox1, -120, true);
    EXPECT_GT(hbar()->value(), 100);
    EXPECT_EQ(vbar()->value(), 268);
    // The bar clamps; the page stays until the next notch.
    vbar()->setValue(10);
    Wheel(form().PaintBox1, 120);
    EXPECT_EQ(vbar()->value(), 0);
    EXPECT_EQ(form().PageEd->value(), 1);

    vbar()->setValue(200);
    for (const int tab : {0, 2, 3}) {
        form().PageControl2->setCurrentIndex(tab);
        Wheel(form().PageControl2->currentWidget(), -120);
        Wheel(&form(), 120);
        EXPECT_EQ(vbar()->value(), 200) << tab;
    }
    form().PageControl2->setCurrentIndex(1);
    // 42 pt at 110 %: 61.6 pixels.
    form().FormMouseWheelDown();
    EXPECT_EQ(vbar()->value(), 262);
}

TEST_F(PageToolsTest, WheelStepIsThreeLinesAtTheZoom)
{
    ASSERT_EQ(form().PageViewResolution(), 96);
    const struct {
        int zoom;
        int step;
    } cases[] = {{10, 6}, {50, 28}, {75, 42}, {200, 112}, {300, 168}};
    for (const auto& c : cases) {
        SetZoom(c.zoom);
        EXPECT_EQ(form().WheelStepPixels(), c.step) << c.zoom;
    }
    // Eighths of a notch add up to the step.
    for (int i = 0; i < 8; ++i) Wheel(form().PaintBox1, -15);
    EXPECT_EQ(vbar()->value(), 168);
}

// Where the page view stands on its page, before and after a move.
enum class At { Top, Middle, End };

TEST_F(PageToolsTest, WheelAndKeysPageThroughTheDocument)
{
    SetZoom(100);
    form().activateWindow();
    form().ScrollBox1->setFocus();
    const auto wheelDown = [this] { Wheel(form().PaintBox1, -120); };
    const auto wheelUp = [this] { Wheel(form().PaintBox1, 120); };
    const auto fastWheelDown = [this] { Wheel(form().PaintBox1, -600); };
    const auto key = [this](Qt::Key k) { return [this, k] { QTest::keyClick(form().ScrollBox1, k); }; };
    const struct {
        const char* what;
        std::function<void()> move;
        int page;
        At at;
        int pageAfter;
        At atAfter;
    } cases[] = {
        {"Rad ab am Seitenende", wheelDown, 1, At::End, 2, At::Top},
        {"schnelles Rad ab am Seitenende", fastWheelDown, 1, At::End, 2, At::Top},
        {"Rad ab auf der letzten Seite", wheelDown, 2, At::End, 2, At::End},
        {"Rad auf am Seitenanfang", wheelUp, 2, At::Top, 1, At::End},
        {"Rad auf auf der ersten Seite", wheelUp, 1, At::Top, 1, At::Top},
        {"Bild ab am Seitenende", key(Qt::Key_PageDown), 1, At::End, 2, At::Top},
        {"Leertaste am Seitenende", key(Qt::Key_Space), 1, At::End, 2, At::Top},
        {"Bild auf am Seitenanfang", key(Qt::Key_PageUp), 2, At::Top, 1, At::End},
        {"Bild auf mitten in der Seite", key(Qt::Key_PageUp), 2, At::Middle, 2, At::Top},
        {"Pos1", key(Qt::Key_Home), 2, At::Middle, 1, At::Top},
        {"Ende", key(Qt::Key_End), 1, At::Middle, 2, At::Top},
    };
    for (const auto& c : cases) {
        form().PageEd->setValue(c.page);
        QCoreApplication::processEvents();
        ASSERT_GT(vbar()->maximum(), 2 * viewport()->height()) << c.what;
        vbar()->setValue(c.at == At::Top ? 0 : c.at == At::End ? vbar()->maximum() : viewport()->height() / 2);
        c.move();
        QCoreApplication::processEvents();
        EXPECT_EQ(form().PageEd->value(), c.pageAfter) << c.what;
        EXPECT_EQ(form().document().currentPageNumber, c.pageAfter) << c.what;
        EXPECT_EQ(vbar()->value(), c.atAfter == At::Top ? 0 : vbar()->maximum()) << c.what;
    }
    // Within the page the keys move by a screen.
    form().PageEd->setValue(1);
    QTest::keyClick(form().ScrollBox1, Qt::Key_PageDown);
    EXPECT_EQ(vbar()->value(), vbar()->pageStep());
    EXPECT_EQ(form().PageEd->value(), 1);
}

TEST_F(PageToolsTest, PagesWithoutScrollBarTurnWithEveryNotch)
{
    SetZoom(10);
    ASSERT_EQ(vbar()->maximum(), 0);
    std::vector<int> pages;
    for (const int delta : {-120, -120, 120}) {
        Wheel(form().PaintBox1, delta);
        pages.push_back(form().PageEd->value());
    }
    EXPECT_EQ(pages, (std::vector<int>{2, 2, 1}));
}

TEST_F(PageToolsTest, PagingKeysLeaveFieldsAndButtonsTheirOwnKeys)
{
    form().activateWindow();
    form().PageEd->setValue(2);
    form().PageEd->setFocus();
    for (const Qt::Key key : {Qt::Key_Home, Qt::Key_End, Qt::Key_Space}) QTest::keyClick(form().PageEd, key);
    EXPECT_EQ(form().PageEd->value(), 2);
    // The space bar presses a button; paging keys travel on to the page.
    form().HandBtn->setFocus();
    QTest::keyClick(form().HandBtn, Qt::Key_Space);
    EXPECT_TRUE(form().HandBtn->isChecked());
    EXPECT_EQ(form().PageEd->value(), 2);
    QTest::keyClick(form().HandBtn, Qt::Key_Home);
    EXPECT_EQ(form().PageEd->value(), 1);
}

TEST_F(PageToolsTest, CursorOverThePageFollowsTheTool)
{
    const QImage lupe = CursorImage(form().ScreenCursors.Cursor(app::LupeCursorSlot));
    const QImage hand = CursorImage(form().ScreenCursors.Cursor(app::DragCursorSlot));
    const QImage arrow = CursorImage(form().ScreenCursors.Cursor(app::ArrowCursorSlot));
    ASSERT_FALSE(lupe.isNull());
    ASSERT_NE(lupe, hand);

    EXPECT_EQ(CursorImage(form().PaintBox1->cursor()), lupe);
    form().HandBtn->click();
    EXPECT_EQ(CursorImage(form().PaintBox1->cursor()), hand);
    QTest::mouseMove(form().PaintBox1, VisiblePoint());
    EXPECT_EQ(CursorImage(form().PaintBox1->cursor()), hand);
    form().LupeBtn->click();
    EXPECT_EQ(CursorImage(form().PaintBox1->cursor()), lupe);
    EXPECT_EQ(form().PaintBox1->cursor().hotSpot(), QPoint(12, 12));

    // With neither tool down a mouse move shows the program's arrow.
    form().LupeBtn->setAutoExclusive(false);
    form().LupeBtn->setChecked(false);
    QTest::mouseMove(form().PaintBox1, VisiblePoint(QPoint(5, 5)));
    EXPECT_EQ(CursorImage(form().PaintBox1->cursor()), arrow);
    EXPECT_EQ(form().PaintBox1->cursor().hotSpot(), QPoint(0, 0));
    // Without a tool a click does nothing.
    QTest::mouseClick(form().PaintBox1, Qt::LeftButton, {}, VisiblePoint());
    EXPECT_EQ(form().ZoomEd->value(), 50);
    EXPECT_FALSE(form().Panning);
}

TEST_F(PageToolsTest, PageAboveThePageCountGoesBackToTheLastPage)
{
    form().PageEd->setValue(7);
    EXPECT_EQ(form().PageEd->value(), 2);
    EXPECT_EQ(form().document().currentPageNumber, 2);
    form().PageEd->setValue(1);
    EXPECT_EQ(form().document().currentPageNumber, 1);
}

TEST(PageField, ReachesTheLastPageOfDocumentsBeyondTenThousandPages)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    EXPECT_EQ(form.PageEd->maximum(), 10000);
    form.ReadingFinished(12345);
    EXPECT_EQ(form.PageEd->maximum(), 12345);
    EXPECT_EQ(form.Label6->text(), "von 12345");
    form.ReadingFinished(2);
    EXPECT_EQ(form.PageEd->maximum(), 10000);
}

TEST_F(PageToolsTest, NewPageStartsAtItsTopAndAnotherDocumentAtItsTopLeft)
{
    SetZoom(200);
    const auto scrollToEnd = [this] {
        hbar()->setValue(hbar()->maximum());
        vbar()->setValue(vbar()->maximum());
        ASSERT_GT(hbar()->value(), 0);
        ASSERT_GT(vbar()->value(), 0);
    };
    scrollToEnd();
    const int column = hbar()->value();
    form().PageEd->setValue(2);
    QCoreApplication::processEvents();
    EXPECT_EQ(vbar()->value(), 0);
    EXPECT_EQ(hbar()->value(), column);

    scrollToEnd();
    form().openfilenow(QString::fromStdString(CopySample(folder_, "zweites.pdf")));
    QCoreApplication::processEvents();
    EXPECT_EQ(form().PageEd->value(), 1);
    EXPECT_EQ(hbar()->value(), 0);
    EXPECT_EQ(vbar()->value(), 0);
}

TEST_F(PageToolsTest, MagnifierWaitsWhileAReadingRuns)
{
    form().document().readingInProgress = true;
    form().PaintBox1MouseDown(Qt::LeftButton, 10, 10);
    EXPECT_EQ(form().ZoomEd->value(), 50);
    EXPECT_TRUE(form().document().readingInProgress);
    form().document().readingInProgress = false;
}

TEST(PageToolsWithoutDocument, MagnifierZoomsButShowsNoPage)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    TMainForm& form = windows.main;
    form.PaintBox1MouseDown(Qt::LeftButton, 400, 500);
    EXPECT_EQ(form.ZoomEd->value(), 75);
    EXPECT_EQ(form.PaintBox1->size(), QSize(0, 0));
    EXPECT_TRUE(form.PaintBox1->Picture().isNull());
    EXPECT_FALSE(form.document().readingInProgress);
    // No document: any page number stays.
    form.PageEd->setValue(9);
    EXPECT_EQ(form.PageEd->value(), 9);
}

}  // namespace
}  // namespace folivo::test
