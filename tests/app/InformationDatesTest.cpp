// Information dates that may be absent: the pickers show an absent date as absent, only setting
// a date or time makes it present, and a reading refills them without marking anything edited.
#include <QCalendarWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "app/OptionalDateTime.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

using app::AbsentDateText;

QDate ToQDate(const CivilDate& date) { return QDate(date.year, date.month, date.day); }
QTime ToQTime(const CivilTime& time) { return QTime(time.hour, time.minute, time.second); }

// The window with a document without dates open.
class InformationDatesTest : public testing::Test {
protected:
    void SetUp() override { Reopen(); }
    void Reopen()
    {
        form.openfilenow(QString::fromStdString(undated));
        ASSERT_FALSE(info().createdPresent);
        ASSERT_FALSE(info().modifiedPresent);
    }
    const InfoFields& info() const { return form.document().info; }
    // Both pickers of a date show it as the model holds it.
    void ExpectShown(const QDateEdit& date, const QTimeEdit& time, bool present, const CivilDate& day,
                     const CivilTime& clock, const std::string& what)
    {
        if (!present) {
            EXPECT_EQ(date.text(), AbsentDateText) << what;
            EXPECT_EQ(time.text(), AbsentDateText) << what;
            return;
        }
        EXPECT_EQ(date.date(), ToQDate(day)) << what;
        EXPECT_EQ(time.time(), ToQTime(clock)) << what;
        EXPECT_NE(date.text(), AbsentDateText) << what;
        EXPECT_NE(time.text(), AbsentDateText) << what;
    }
    void ExpectBothShown(const std::string& what)
    {
        ExpectShown(*form.DateTimePicker1, *form.DateTimePicker2, info().createdPresent, info().createdDate,
                    info().createdTime, what + " (erstellt)");
        ExpectShown(*form.DateTimePicker3, *form.DateTimePicker4, info().modifiedPresent, info().modifiedDate,
                    info().modifiedTime, what + " (geändert)");
    }

    ScratchFolder folder;
    std::string undated = WriteUndatedPdf(folder, "ohne-datum.pdf");
    Windows windows{folder.File("")};
    app::TMainForm& form = windows.main;
};

TEST_F(InformationDatesTest, SettingOnePickerMakesOnlyItsDatePresent)
{
    struct Case {
        const char* picker;
        std::function<void(app::TMainForm&)> set;
        bool created;
        // Whether the date part, else the time part, is the one set.
        bool datePart;
    };
    const std::vector<Case> cases = {
        {"DateTimePicker1", [](app::TMainForm& f) { f.DateTimePicker1->setDate(QDate(2001, 2, 3)); }, true, true},
        {"DateTimePicker2", [](app::TMainForm& f) { f.DateTimePicker2->setTime(QTime(4, 5, 6)); }, true, false},
        {"DateTimePicker3", [](app::TMainForm& f) { f.DateTimePicker3->setDate(QDate(2001, 2, 3)); }, false, true},
        {"DateTimePicker4", [](app::TMainForm& f) { f.DateTimePicker4->setTime(QTime(4, 5, 6)); }, false, false},
    };
    for (const Case& c : cases) {
        Reopen();
        const InfoFields opened = info();
        c.set(form);
        EXPECT_EQ(info().createdPresent, c.created) << c.picker;
        EXPECT_EQ(info().modifiedPresent, !c.created) << c.picker;
        EXPECT_TRUE(info().changedByUser) << c.picker;
        const CivilDate& date = c.created ? info().createdDate : info().modifiedDate;
        const CivilTime& time = c.created ? info().createdTime : info().modifiedTime;
        // The part not set keeps the moment of opening.
        const CivilDate setDate{2001, 2, 3};
        const CivilTime setTime{4, 5, 6};
        EXPECT_EQ(date, c.datePart ? setDate : (c.created ? opened.createdDate : opened.modifiedDate)) << c.picker;
        EXPECT_EQ(time, c.datePart ? (c.created ? opened.createdTime : opened.modifiedTime) : setTime) << c.picker;
        ExpectBothShown(c.picker);
    }
}

TEST_F(InformationDatesTest, EditingTextsLeavesDatesAbsentAndNowSetsTheModificationDate)
{
    ExpectBothShown("geöffnet");
    QTest::keyClicks(form.Edit4, " neu");
    QTest::keyClicks(form.Edit3, "Autorin");
    EXPECT_EQ(info().title, "Ohne Datum neu");
    EXPECT_FALSE(info().createdPresent);
    EXPECT_FALSE(info().modifiedPresent);
    ExpectBothShown("Texte bearbeitet");

    form.NowBtn->click();
    EXPECT_FALSE(info().createdPresent);
    EXPECT_TRUE(info().modifiedPresent);
    EXPECT_EQ(form.DateTimePicker3->date(), QDate::currentDate());
    ExpectBothShown("Auf jetzt setzen");
}

TEST_F(InformationDatesTest, AnAbsentDateStartsAtTheMomentOfOpening)
{
    const InfoFields opened = info();
    // Stepping gives the moment of opening itself.
    form.DateTimePicker1->stepUp();
    form.DateTimePicker4->stepDown();
    EXPECT_TRUE(info().createdPresent);
    EXPECT_TRUE(info().modifiedPresent);
    EXPECT_EQ(form.DateTimePicker1->date(), ToQDate(opened.createdDate));
    EXPECT_EQ(form.DateTimePicker4->time(), ToQTime(opened.modifiedTime));
    EXPECT_EQ(info().createdDate, opened.createdDate);
    EXPECT_EQ(info().modifiedTime, opened.modifiedTime);
    // An absent date takes any date, also one long before the moment of opening.
    Reopen();
    form.DateTimePicker1->setDate(QDate(1999, 1, 2));
    EXPECT_EQ(info().createdDate, (CivilDate{1999, 1, 2}));

    // Typing starts from the moment of opening.
    Reopen();
    QTest::keyClick(form.DateTimePicker3, Qt::Key_1);
    EXPECT_TRUE(info().modifiedPresent);
    EXPECT_EQ(info().modifiedDate.year, opened.modifiedDate.year);
    EXPECT_NE(form.DateTimePicker3->text(), AbsentDateText);

    // The calendar opens on the month of opening, not on the picker's earliest date.
    Reopen();
    form.show();
    form.PageControl2->setCurrentIndex(2);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QCalendarWidget* calendar = form.DateTimePicker1->calendarWidget();
    // The popup's arrow is at the picker's right end.
    QTest::mouseClick(form.DateTimePicker1, Qt::LeftButton, {},
                      QPoint(form.DateTimePicker1->width() - 4, form.DateTimePicker1->height() / 2));
    ASSERT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->yearShown(), opened.createdDate.year);
    EXPECT_EQ(calendar->monthShown(), opened.createdDate.month);
    EXPECT_FALSE(info().createdPresent);
    calendar->window()->hide();
}

TEST_F(InformationDatesTest, ReadingRefillsThePickersWithoutMarkingAnythingEdited)
{
    const std::string sample = CopySample(folder, "mit-datum.pdf");
    form.DateTimePicker1->setDate(QDate(2001, 2, 3));
    form.NowBtn->click();
    // A dated document, then an undated one again: each shows its own dates.
    for (const std::string& file : {sample, undated}) {
        form.openfilenow(QString::fromStdString(file));
        EXPECT_FALSE(info().changedByUser) << file;
        ExpectBothShown(file);
    }
    EXPECT_FALSE(info().createdPresent);
    EXPECT_FALSE(info().modifiedPresent);
}

}  // namespace
}  // namespace folivo::test
