// The window's look at its start size and when resized: no control is cut short, and the page
// view takes the room it is given. With FOLIVO_SCREENSHOT_DIR set, each tab page is also saved
// as a picture there for people to look at.
#include <QAbstractButton>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include "app/OptionalDateTime.h"
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

TEST_F(LookTest, PageTooLargeOrTooSmallToDrawIsExplainedInFullInTheStatusText)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const struct {
        const char* box;
        int zoom;
        const char* text;
    } pages[] = {{"[0 0 14400 14400]", 300, "Die Seite ist bei 300 % zu groß zum Anzeigen, bitte verkleinern."},
                 {"[0 0 5 5]", 10, "Die Seite ist bei 10 % zu klein zum Anzeigen, bitte vergrößern."}};
    for (const auto& page : pages) {
        PdfBuilder builder;
        builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                           std::string("<< /Type /Page /Parent 2 0 R /MediaBox ") + page.box + " >>"};
        builder.trailerEntries = "/Root 1 0 R";
        form.openfilenow(QString::fromStdString(folder.Write("plakat.pdf", builder.Build())));
        QCoreApplication::processEvents();
        form.ZoomEd->setValue(page.zoom);
        QCoreApplication::processEvents();
        EXPECT_TRUE(form.PaintBox1->Picture().isNull()) << page.box;
        EXPECT_EQ(form.StatusText->text(), QString::fromUtf8(page.text));
        EXPECT_LE(form.StatusText->sizeHint().width(), form.StatusText->width()) << page.text;
    }
    form.ZoomEd->setValue(100);
    EXPECT_FALSE(form.PaintBox1->Picture().isNull());
    EXPECT_TRUE(form.StatusText->text().startsWith("plakat.pdf"));
}

TEST_F(LookTest, FileListNameTakesTheFreeWidthAtEverySize)
{
    const QString file = QString::fromStdString(folder.Write("Rechnung-2024-03.pdf", std::string(123456, 'x')));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.listModel->index(file).isValid(); }, 10000));
    QTreeView& list = *form.JamShellList1;
    const QHeaderView& header = *list.header();
    // The smallest size the window takes, its first size and a large one.
    for (const QSize size : {QSize(1, 1), QSize(622, 489), QSize(1400, 900)}) {
        form.resize(size);
        QCoreApplication::processEvents();
        const std::string what = std::to_string(form.width()) + "x" + std::to_string(form.height());
        EXPECT_EQ(header.sectionSize(0) + header.sectionSize(1) + header.sectionSize(3), list.viewport()->width()) << what;
        EXPECT_FALSE(list.horizontalScrollBar()->isVisible()) << what;
        // The width each column's entries need (the tree view hides this from its users).
        const QAbstractItemView& entries = list;
        for (const int column : {0, 1, 3})
            EXPECT_GE(header.sectionSize(column), entries.sizeHintForColumn(column)) << what << " " << column;
        SaveScreenshot(form, QString("tab0-%1").arg(QString::fromStdString(what)));
    }
}

TEST_F(LookTest, WithoutADocumentThePageViewStaysEmptyAtEveryZoom)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.PageControl2->setCurrentIndex(1);
    struct State {
        const char* name;
        std::string file;
        bool pageShown;
    };
    // A file that cannot be read changes nothing: no page before it, the page before it after it.
    const std::string broken = folder.Write("kaputt.pdf", "no pdf here");
    const std::vector<State> states = {{"ohne Datei", "", false},
                                       {"keine PDF-Datei", broken, false},
                                       {"Beispiel", CopySample(folder, "Beispiel.pdf"), true},
                                       {"keine PDF-Datei danach", broken, true}};
    for (const State& state : states) {
        if (!state.file.empty()) form.openfilenow(QString::fromStdString(state.file));
        for (const int zoom : {300, 10, 50, 120}) {
            form.ZoomEd->setValue(zoom);
            QCoreApplication::processEvents();
            const std::string what = std::string(state.name) + " " + std::to_string(zoom);
            EXPECT_EQ(form.PaintBox1->Picture().isNull(), !state.pageShown) << what;
            EXPECT_EQ(form.PaintBox1->size().isEmpty(), !state.pageShown) << what;
            EXPECT_EQ(form.StatusText->text().isEmpty(), !state.pageShown) << what << " " << form.StatusText->text().toStdString();
        }
        SaveScreenshot(form, QString("tab1-%1").arg(state.name));
    }
}

TEST_F(LookTest, AbsentDatesShowAsAbsent)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.openfilenow(QString::fromStdString(WriteUndatedPdf(folder, "ohne-datum.pdf")));
    form.PageControl2->setCurrentIndex(2);
    QCoreApplication::processEvents();
    for (QAbstractSpinBox* picker : std::initializer_list<QAbstractSpinBox*>{form.DateTimePicker1, form.DateTimePicker2,
                                                                             form.DateTimePicker3, form.DateTimePicker4}) {
        EXPECT_EQ(picker->text(), "nicht gesetzt") << picker->objectName().toStdString();
        // The text itself fits, not only what the box says it needs.
        const QLineEdit* field = picker->findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance("nicht gesetzt"))
            << picker->objectName().toStdString();
    }
    EXPECT_EQ(form.DateTimePicker1->displayFormat(), "dd.MM.yyyy");
    ExpectNothingCut(*form.PageControl2->widget(2), "Informationen");
    SaveScreenshot(form, "tab2-ohne-datum");
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
