#include "app/OptionalDateTime.h"

#include <QDateEdit>
#include <QTimeEdit>

namespace folivo::app {

namespace {

// The earliest date a Qt date picker takes.
const QDate EarliestDate(100, 1, 1);

}  // namespace

// A spin box shows its special value text at its minimum. An absent date's picker sits one day
// before the starting point, its minimum, so that stepping up and the calendar begin there.
void ShowOptionalDate(QDateEdit& picker, const CivilDate& date, bool present)
{
    const QDate shown(date.year, date.month, date.day);
    if (present) {
        picker.setSpecialValueText(QString());
        picker.setMinimumDate(EarliestDate);
        picker.setDate(shown);
        return;
    }
    const QDate before = shown.isValid() ? shown.addDays(-1) : QDate::currentDate().addDays(-1);
    picker.setSpecialValueText(AbsentDateText);
    picker.setMinimumDate(before);
    picker.setDate(before);
}

// Midnight is a real time of day: the special value text is there only while the date is absent.
void ShowOptionalTime(QTimeEdit& picker, const CivilTime& time, bool present)
{
    picker.setSpecialValueText(present ? QString() : AbsentDateText);
    picker.setTime(present ? QTime(time.hour, time.minute, time.second) : picker.minimumTime());
}

bool ShowsValue(const QDateTimeEdit& picker)
{
    return picker.specialValueText().isEmpty() || picker.dateTime() != picker.minimumDateTime();
}

CivilDate PickedDate(const QDateEdit& picker)
{
    const QDate date = picker.date();
    return {date.year(), date.month(), date.day()};
}

CivilTime PickedTime(const QTimeEdit& picker)
{
    const QTime time = picker.time();
    return {time.hour(), time.minute(), time.second()};
}

}  // namespace folivo::app
