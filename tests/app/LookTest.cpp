// The window's look at its start size and when resized: no control is cut short, and the page
// view takes the room it is given. With FOLIVO_SCREENSHOT_DIR set, each tab page is also saved
// as a picture there for people to look at.
#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include "app/PaintBox.h"
#include "tests/TestDocuments.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

void SaveScreenshot(QWidget& window, const QString& name)
{
    const QString folder = qEnvironmentVariable("FOLIVO_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    window.grab().save(folder + "/" + name + ".png");
}

// Every shown label and button of the page is at least as wide as its text needs (word-wrapped
// labels: as high as their text needs at their width).
void ExpectNothingCut(QWidget& page, const QString& tab)
{
    for (QWidget* widget : page.findChildren<QWidget*>()) {
        if (!widget->isVisible()) continue;
        const QString what = tab + ": " + widget->metaObject()->className() + " " + widget->objectName();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text().isEmpty()) continue;
            if (label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << what.toStdString() << " " << label->text().toStdString();
            } else {
                EXPECT_GE(label->width(), label->sizeHint().width()) << what.toStdString() << " " << label->text().toStdString();
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_GE(button->width(), button->minimumSizeHint().width()) << what.toStdString() << " " << button->text().toStdString();
        } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget)) {
            EXPECT_GE(spin->width(), spin->minimumSizeHint().width()) << what.toStdString();
        }
    }
}

// The window shown on screen with the sample open under fileName.
class LookTest : public ::testing::Test {
protected:
    void ShowWithSample(const std::string& fileName = "Beispiel.pdf")
    {
        const std::string sample = CopySample(folder, fileName);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.openfilenow(QString::fromStdString(sample));
        QCoreApplication::processEvents();
    }

    ScratchFolder folder;
    Windows windows{folder.File("")};
    app::TMainForm& form = windows.main;
};

TEST_F(LookTest, EveryTabAtTheStartSizeShowsItsControlsWhole)
{
    ShowWithSample();
    for (int tab = 0; tab < form.PageControl2->count(); ++tab) {
        form.PageControl2->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        ExpectNothingCut(*form.PageControl2->widget(tab), form.PageControl2->tabText(tab));
        SaveScreenshot(form, QString("tab%1").arg(tab));
    }
    ExpectNothingCut(*form.StatusBar1, "Statusleiste");
}

TEST_F(LookTest, PageViewGrowsWithTheWindow)
{
    ShowWithSample();
    const QSize before = form.ScrollBox1->size();
    form.resize(form.width() + 300, form.height() + 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.ScrollBox1->width(), before.width() + 300);
    EXPECT_EQ(form.ScrollBox1->height(), before.height() + 200);
    SaveScreenshot(form, "tab1-large");
}

TEST_F(LookTest, StatusTextKeepsPageAndZoomForLongFileNames)
{
    ShowWithSample(std::string(120, 'x') + ".pdf");
    EXPECT_TRUE(form.StatusText->text().endsWith(QString::fromUtf8("Seite 1 von 2, Zoom 50 %")));
    EXPECT_LE(form.StatusText->sizeHint().width(), form.StatusText->width());
}

TEST_F(LookTest, HugePageTooLargeToDrawIsExplainedInTheStatusText)
{
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                       "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 14400 14400] >>"};
    builder.trailerEntries = "/Root 1 0 R";
    form.openfilenow(QString::fromStdString(folder.Write("plakat.pdf", builder.Build())));
    QCoreApplication::processEvents();
    form.ZoomEd->setValue(300);
    EXPECT_TRUE(form.PaintBox1->Picture().isNull());
    EXPECT_EQ(form.StatusText->text(), QString::fromUtf8("Die Seite ist bei 300 % zu groß zum Anzeigen, bitte verkleinern."));
    form.ZoomEd->setValue(10);
    EXPECT_FALSE(form.PaintBox1->Picture().isNull());
    EXPECT_TRUE(form.StatusText->text().startsWith("plakat.pdf"));
}

// Looks at the progress window in the middle of a reading.
class ProgressLookForm : public app::TMainForm {
public:
    using TMainForm::TMainForm;
    void ProcessMessages() override
    {
        TMainForm::ProcessMessages();
        if (looked || !OpenPDFForm || !OpenPDFForm->isVisible()) return;
        looked = true;
        ExpectNothingCut(*OpenPDFForm, "Lesefenster");
        EXPECT_TRUE(geometry().contains(mapToGlobal(OpenPDFForm->geometry().center())));
        SaveScreenshot(*this, "reading");
    }
    bool looked = false;
};

TEST(Look, ProgressWindowShowsItsTextsWholeInTheMiddleOfTheWindow)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "Beispiel.pdf");
    FakeDialogs dialogs;
    ProgressLookForm form(&dialogs, QString::fromStdString(folder.File("")));
    form.AttachForms(new app::TOpenPDFForm(&form), nullptr);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.openfilenow(QString::fromStdString(sample));
    EXPECT_TRUE(form.looked);
}

}  // namespace
}  // namespace folivo::test
