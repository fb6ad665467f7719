// Dropping files on the window and the usual keys.
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

bool Drop(QWidget& window, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    return true;
}

TEST(Conveniences, DroppedPdfFileOpensAndOtherFilesAreRefused)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "Gezogen.PDF");
    const std::string text = folder.Write("notiz.txt", "x");
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    EXPECT_FALSE(Drop(form, {QUrl::fromLocalFile(QString::fromStdString(text)), QUrl("https://example.org/a.pdf")}));
    EXPECT_EQ(form.Label6->text(), "von 0");
    // The first PDF file among the dropped ones is read.
    EXPECT_TRUE(Drop(form, {QUrl::fromLocalFile(QString::fromStdString(text)),
                            QUrl::fromLocalFile(QString::fromStdString(sample))}));
    EXPECT_EQ(form.Label6->text(), "von 2");
    EXPECT_EQ(form.PageControl2->currentIndex(), 1);
}

TEST(Conveniences, KeysSaveOpenAndZoom)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    form.PageControl2->setCurrentIndex(1);

    QTest::keySequence(&form, QKeySequence::ZoomIn);
    EXPECT_EQ(form.ZoomEd->value(), 60);
    QTest::keySequence(&form, QKeySequence::ZoomOut);
    QTest::keySequence(&form, QKeySequence::ZoomOut);
    EXPECT_EQ(form.ZoomEd->value(), 40);

    // Saving asks for a name only when there is a document to save.
    QTest::keySequence(&form, QKeySequence::Save);
    EXPECT_EQ(windows.dialogs.saveDialogsShown, 0);
    EXPECT_EQ(windows.dialogs.messages.size(), 1u);
    form.openfilenow(QString::fromStdString(CopySample(folder, "s.pdf")));
    QTest::keySequence(&form, QKeySequence::Save);
    EXPECT_EQ(windows.dialogs.saveDialogsShown, 1);
    QTest::keySequence(&form, QKeySequence::Open);
    EXPECT_EQ(form.PageControl2->currentIndex(), 0);
}

}  // namespace
}  // namespace folivo::test
