#include "app/OptionalDateTime.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace folivo::app {

// A spin box shows its special value text at its minimum: an absent value sits there. Midnight
// is a real time of day, so the text is set only while the value is absent.
namespace {

bool AtAbsentValue(const QDateTimeEdit& picker)
{
    return !picker.specialValueText().isEmpty() && picker.dateTime() == picker.minimumDateTime();
}

// Typed characters would land behind the absent text, which no date format parses.
bool Typing(const QKeyEvent& event)
{
    return !event.text().isEmpty() && event.text().at(0).isLetterOrNumber();
}

// The hint widened to hold AbsentDateText: the box is sized once, while it may show a value.
QSize WithRoomForAbsentText(const QDateTimeEdit& picker, const QStyleOptionSpinBox& option, QSize hint)
{
    const QSize text(picker.fontMetrics().horizontalAdvance(AbsentDateText + ' '), hint.height());
    return hint.expandedTo(picker.style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, &picker));
}

}  // namespace

QSize OptionalDateEdit::sizeHint() const
{
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return WithRoomForAbsentText(*this, option, QDateEdit::sizeHint());
}

QSize OptionalDateEdit::minimumSizeHint() const { return sizeHint(); }

QSize OptionalTimeEdit::sizeHint() const
{
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return WithRoomForAbsentText(*this, option, QTimeEdit::sizeHint());
}

QSize OptionalTimeEdit::minimumSizeHint() const { return sizeHint(); }

OptionalDateEdit::OptionalDateEdit(QWidget* parent) : QDateEdit(parent)
{
    setCalendarPopup(true);
    calendarWidget()->installEventFilter(this);
}

void OptionalDateEdit::ShowDate(const CivilDate& date, bool present)
{
    start_ = QDate(date.year, date.month, date.day);
    setSpecialValueText(present ? QString() : AbsentDateText);
    setDate(present ? start_ : minimumDate());
}

bool OptionalDateEdit::ShowsValue() const { return !AtAbsentValue(*this); }

CivilDate OptionalDateEdit::Value() const { return {date().year(), date().month(), date().day()}; }

void OptionalDateEdit::stepBy(int steps)
{
    if (ShowsValue() || !start_.isValid()) QDateEdit::stepBy(steps);
    else setDate(start_);
}

void OptionalDateEdit::keyPressEvent(QKeyEvent* event)
{
    // Typing into an absent date edits the starting point.
    if (!ShowsValue() && start_.isValid() && Typing(*event)) setDate(start_);
    QDateEdit::keyPressEvent(event);
}

bool OptionalDateEdit::eventFilter(QObject* watched, QEvent* event)
{
    // The calendar opens on the picker's date, which for an absent date is the earliest one:
    // it shows the month of the starting point instead.
    if (watched == calendarWidget() && event->type() == QEvent::Show && !ShowsValue() && start_.isValid())
        calendarWidget()->setCurrentPage(start_.year(), start_.month());
    return QDateEdit::eventFilter(watched, event);
}

OptionalTimeEdit::OptionalTimeEdit(QWidget* parent) : QTimeEdit(parent) {}

void OptionalTimeEdit::ShowTime(const CivilTime& time, bool present)
{
    start_ = QTime(time.hour, time.minute, time.second);
    setSpecialValueText(present ? QString() : AbsentDateText);
    setTime(present ? start_ : minimumTime());
}

bool OptionalTimeEdit::ShowsValue() const { return !AtAbsentValue(*this); }

CivilTime OptionalTimeEdit::Value() const { return {time().hour(), time().minute(), time().second()}; }

void OptionalTimeEdit::stepBy(int steps)
{
    if (ShowsValue() || !start_.isValid()) QTimeEdit::stepBy(steps);
    else setTime(start_);
}

void OptionalTimeEdit::keyPressEvent(QKeyEvent* event)
{
    if (!ShowsValue() && start_.isValid() && Typing(*event)) setTime(start_);
    QTimeEdit::keyPressEvent(event);
}

}  // namespace folivo::app
