// A turned page in the window: the paint box and the magnifier take the turned size, while the
// protection writes the same content as on the upright page.
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <string>

#include "app/PaintBox.h"
#include "tests/TestDocuments.h"
#include "tests/app/AppTestSupport.h"
#include "view/PageRenderer.h"

namespace folivo::test {
namespace {

// A one-page 300 × 150 point document with a filled rectangle as its content.
std::string WritePage(const ScratchFolder& folder, const std::string& name, const std::string& rotate)
{
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 " + rotate + " >>",
                       "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 150] /Contents 4 0 R >>",
                       StreamObject("", "0 0 1 rg 10 10 40 20 re f")};
    builder.trailerEntries = "/Root 1 0 R";
    return folder.Write(name, builder.Build());
}

std::string ContentAfterProtection(const ScratchFolder& folder, const std::string& name, const std::string& rotate)
{
    Windows windows(folder.File(""));
    windows.main.openfilenow(QString::fromStdString(WritePage(folder, name, rotate)));
    QTest::mouseClick(windows.main.FileProtectBtn, Qt::LeftButton);
    const PageRecord& page = *windows.main.document().pages.At(0);
    if (!page.content || page.contentLength <= 0) return {};
    return std::string(reinterpret_cast<const char*>(page.content), static_cast<size_t>(page.contentLength));
}

TEST(TurnedPage, PaintBoxAndMagnifierTakeTheTurnedSize)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.openfilenow(QString::fromStdString(WritePage(folder, "turned.pdf", "/Rotate 270")));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QCoreApplication::processEvents();
    ASSERT_EQ(form.document().pages.Count(), 1u);
    ASSERT_EQ(form.ZoomEd->value(), 50);
    // 300 × 150 points at zoom 50 and 96 pixels per inch, upright 200 × 100 pixels.
    EXPECT_EQ(form.PaintBox1->size(), QSize(100, 200));
    EXPECT_EQ(form.PaintBox1->Picture().size(), QSize(100, 200));

    form.PaintBox1MouseDown(Qt::LeftButton, 50, 150);
    ASSERT_EQ(form.ZoomEd->value(), 75);
    EXPECT_EQ(form.PaintBox1->size(), QSize(150, 300));
    EXPECT_EQ(form.PaintBox1->Picture().size(), QSize(150, 300));
}

TEST(TurnedPage, ProtectionWritesWhatItWritesOnTheUprightPage)
{
    ScratchFolder folder;
    const std::string upright = ContentAfterProtection(folder, "upright.pdf", "");
    ASSERT_FALSE(upright.empty());
    int file = 0;
    for (const char* rotate : {"/Rotate 90", "/Rotate 180", "/Rotate -90"})
        EXPECT_EQ(ContentAfterProtection(folder, "turned" + std::to_string(++file) + ".pdf", rotate), upright) << rotate;
}

}  // namespace
}  // namespace folivo::test
