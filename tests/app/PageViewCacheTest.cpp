// The page view keeps its drawings: showing a page again draws nothing, and after every change
// of what the view shows it shows what a fresh drawing shows.
#include <QCheckBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QWindow>
#include <functional>

#include "app/PageImageCache.h"
#include "app/PaintBox.h"
#include "tests/TestDocuments.h"
#include "tests/app/AppTestSupport.h"
#include "view/PagePainter.h"
#include "view/PageRenderer.h"

namespace folivo::test {
namespace {

using app::PageImageCache;
using app::TMainForm;

// The page view as a drawing made now would show it.
QImage FreshDrawing(TMainForm& form)
{
    const int page = form.PageEd->value();
    const int zoom = form.ZoomEd->value();
    const int resolution = form.PageViewResolution();
    if (form.SimplifiedCheck->isChecked()) return RenderPage(form.document(), page, zoom, resolution, form.DisplayFont());
    return RenderPageAsPrinted(form.document(), form.Fonts(), page, zoom, resolution, form.PaintBox1->devicePixelRatioF());
}

// A one-page document of 200 × 200 points without content, whose one comment is a square
// filled with colour: documents that differ in the colour alone.
std::string SquarePdf(const ScratchFolder& folder, const std::string& name, const std::string& colour)
{
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                       "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Annots [4 0 R] >>",
                       "<< /Type /Annot /Subtype /Square /Rect [20 20 180 180] /C [" + colour + "] /IC [" + colour +
                           "] >>"};
    builder.trailerEntries = "/Root 1 0 R";
    return folder.Write(name, builder.Build());
}

class PageViewCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        windows_ = std::make_unique<Windows>(folder_.File(""));
        form().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
    }
    void Open(const std::string& path)
    {
        form().openfilenow(QString::fromStdString(path));
        QCoreApplication::processEvents();
        ASSERT_TRUE(form().DocumentOpen());
    }
    // The view shows what a drawing made now shows.
    void ExpectFresh(const char* step)
    {
        const QImage shown = form().PaintBox1->Picture();
        EXPECT_FALSE(shown.isNull()) << step;
        EXPECT_TRUE(shown == FreshDrawing(form())) << step;
    }

    TMainForm& form() { return windows_->main; }

    ScratchFolder folder_;
    std::unique_ptr<Windows> windows_;
};

TEST_F(PageViewCacheTest, ShowingTheShownPageAgainDrawsNothing)
{
    Open(CopySample(folder_, "sample.pdf"));
    form().ZoomEd->setValue(150);
    const int drawings = form().PageDrawingCount();
    const qint64 shown = form().PaintBox1->Picture().cacheKey();

    // The tool buttons, scrolling, the hand dragging, exposing and asking for the page again.
    QTest::mouseClick(form().HandBtn, Qt::LeftButton);
    QTest::mousePress(form().PaintBox1, Qt::LeftButton, {}, QPoint(200, 200));
    QTest::mouseMove(form().PaintBox1, QPoint(150, 120));
    QTest::mouseRelease(form().PaintBox1, Qt::LeftButton, {}, QPoint(150, 120));
    QTest::mouseClick(form().LupeBtn, Qt::LeftButton);
    form().ScrollBox1->verticalScrollBar()->setValue(40);
    form().PaintBox1->repaint();
    for (int i = 0; i < 3; ++i) form().PaintBox1Paint();
    QCoreApplication::processEvents();
    EXPECT_EQ(form().PageDrawingCount(), drawings);
    EXPECT_EQ(form().PaintBox1->Picture().cacheKey(), shown);

    // The magnifier draws each new zoom once; stepping back to a zoom shown before draws nothing.
    const QPoint middle = form().PaintBox1->rect().center();
    form().PaintBox1MouseDown(Qt::LeftButton, middle.x(), middle.y());
    ASSERT_EQ(form().ZoomEd->value(), 225);
    EXPECT_EQ(form().PageDrawingCount(), drawings + 1);
    ExpectFresh("zoomed in");
    form().PaintBox1MouseDown(Qt::RightButton, middle.x(), middle.y());
    ASSERT_EQ(form().ZoomEd->value(), 150);
    form().PaintBox1MouseDown(Qt::LeftButton, middle.x(), middle.y());
    form().PaintBox1MouseDown(Qt::RightButton, middle.x(), middle.y());
    EXPECT_EQ(form().PageDrawingCount(), drawings + 1);
    ExpectFresh("zoomed back out");
}

TEST_F(PageViewCacheTest, AnotherScreenShowsThePageForItsPixels)
{
    Open(CopySample(folder_, "sample.pdf"));
    // The view is emptied behind the window's back; the move to a screen shows the page again,
    // from the kept drawing when the pixel ratio is the same.
    const int drawings = form().PageDrawingCount();
    form().PaintBox1->SetPicture(QImage());
    QWindow* window = form().windowHandle();
    ASSERT_NE(window, nullptr);
    emit window->screenChanged(window->screen());
    QCoreApplication::processEvents();
    ExpectFresh("moved to a screen");
    EXPECT_EQ(form().PageDrawingCount(), drawings);
}

TEST_F(PageViewCacheTest, EachChangeOfWhatTheViewShowsIsDrawnAnew)
{
    Open(CopySample(folder_, "sample.pdf"));
    QImage before = form().PaintBox1->Picture();
    // Each step shows a new picture, the one a fresh drawing gives.
    const auto step = [&](const char* name, const std::function<void()>& change) {
        change();
        QCoreApplication::processEvents();
        ExpectFresh(name);
        EXPECT_FALSE(form().PaintBox1->Picture() == before) << name;
        before = form().PaintBox1->Picture();
    };
    step("zoom", [&] { form().ZoomEd->setValue(80); });
    step("page", [&] { form().PageEd->setValue(2); });
    step("simplified", [&] { form().SimplifiedCheck->setChecked(true); });
    QFont serif("Liberation Serif");
    serif.setPixelSize(22);
    windows_->dialogs.fontAnswer = serif;
    step("display font", [&] { QTest::mouseClick(form().ChooseFontBtn, Qt::LeftButton); });
    step("as printed", [&] { form().SimplifiedCheck->setChecked(false); });
    step("first page", [&] { form().PageEd->setValue(1); });
    // Added text goes into the page's content, which both drawings show.
    AddTextSettings& settings = form().document().addTextSettings;
    settings.fontNames = {"/F1"};
    settings.selectedFont = 0;
    settings.lines = {"Hinzugefuegt"};
    settings.fontSize = 40;
    step("text added", [&] {
        form().document().currentPageNumber = 1;
        form().document().AddNewText(72, 400);
        form().PaintBox1Paint();
    });

    // The protection adds an empty text object to every page: the view stays as it was.
    QTest::mouseClick(form().FileProtectBtn, Qt::LeftButton);
    ExpectFresh("protected");
    EXPECT_TRUE(form().PaintBox1->Picture() == before);
    step("simplified with the text", [&] { form().SimplifiedCheck->setChecked(true); });
}

TEST_F(PageViewCacheTest, ADocumentOpenedOrReadAgainIsShownAsItIsNow)
{
    // Same page and zoom, no content: only the comment's colour tells the documents apart.
    const std::string blue = SquarePdf(folder_, "blue.pdf", "0 0 1");
    Open(blue);
    const QImage blueShown = form().PaintBox1->Picture();
    Open(SquarePdf(folder_, "red.pdf", "1 0 0"));
    ExpectFresh("red");
    EXPECT_FALSE(form().PaintBox1->Picture() == blueShown);

    // The file changes on disk and is read again in place of the open document.
    SquarePdf(folder_, "blue.pdf", "1 1 0");
    form().document().openfilenow(blue);
    QCoreApplication::processEvents();
    ExpectFresh("read again");
    EXPECT_FALSE(form().PaintBox1->Picture() == blueShown);
}

TEST(PageImageCache, KeepsTheMostRecentlyUsedWithinItsBounds)
{
    const auto key = [](int page) {
        PageImageCache::Key k;
        k.page = page;
        return k;
    };
    const auto image = [](int side) { return QImage(side, side, QImage::Format_RGB32); };
    PageImageCache cache;
    for (int page = 1; page <= PageImageCache::MaxImages; ++page) cache.Store(key(page), image(10));
    // Looking page 1 up makes it the most recent: page 2 is the one to go.
    EXPECT_FALSE(cache.Find(key(1)).isNull());
    cache.Store(key(99), image(10));
    EXPECT_EQ(cache.Count(), PageImageCache::MaxImages);
    EXPECT_TRUE(cache.Find(key(2)).isNull());
    EXPECT_FALSE(cache.Find(key(1)).isNull());
    EXPECT_TRUE(cache.Find(key(100)).isNull());

    // 64 MB each: two fit the bound, a third sends the oldest away; the newest stays even when
    // it alone is past the bound. A null drawing is never kept.
    cache.Clear();
    for (int page = 1; page <= 3; ++page) cache.Store(key(page), image(4096));
    EXPECT_EQ(cache.Count(), 2);
    EXPECT_TRUE(cache.Find(key(1)).isNull());
    cache.Store(key(4), image(6000));
    EXPECT_EQ(cache.Count(), 1);
    EXPECT_FALSE(cache.Find(key(4)).isNull());
    cache.Store(key(5), QImage());
    EXPECT_TRUE(cache.Find(key(5)).isNull());
    EXPECT_EQ(cache.Count(), 1);
}

}  // namespace
}  // namespace folivo::test
