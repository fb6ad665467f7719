// The status bar's progress panel and the progress window's bar.
#include <QImage>
#include <QProgressBar>
#include <QStatusBar>

#include "app/ProgressPanel.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

// The navy pixels of the panel's first row.
int NavyWidth(app::TProgressPanel* panel)
{
    const QImage image = panel->grab().toImage();
    int navy = 0;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, image.height() / 2) == QColor(0, 0, 128)) ++navy;
    return navy;
}

TEST(ProgressPanel, BarFollowsThePercentage)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    windows.main.show();
    app::TProgressPanel* panel = windows.main.ProgressPanel;
    ASSERT_EQ(panel->width(), 50);
    EXPECT_EQ(NavyWidth(panel), 0);

    windows.main.SetProStatus(80);
    EXPECT_EQ(windows.main.Progress(), 80);
    EXPECT_EQ(NavyWidth(panel), 40);
    EXPECT_EQ(windows.openForm->ProgressBar1->value(), 80);

    windows.main.SetProStatus(0);
    EXPECT_EQ(NavyWidth(panel), 0);
    EXPECT_EQ(windows.openForm->ProgressBar1->value(), 0);

    windows.main.SetProStatus(33);
    EXPECT_EQ(NavyWidth(panel), 16);
    windows.main.SetProStatus(100);
    EXPECT_EQ(NavyWidth(panel), 50);
}

TEST(ProgressPanel, StatusBarHasTheTextPanelBeforeTheProgress)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    windows.main.show();
    EXPECT_EQ(windows.main.StatusText->width(), 350);
    EXPECT_LT(windows.main.StatusText->x(), windows.main.ProgressPanel->x());
}

}  // namespace
}  // namespace folivo::test
