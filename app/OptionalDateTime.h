// The information page's date and time pickers for a date that may be absent. An absent date
// shows AbsentDateText in both pickers; the user's first change makes it a date again.
#pragma once

#include <QString>

#include "pdfread/DocumentModel.h"

class QDateEdit;
class QDateTimeEdit;
class QTimeEdit;

namespace folivo::app {

inline const QString AbsentDateText = "nicht gesetzt";

// Shows date in picker, or shows it absent; date is then the starting point of the user's
// first change (one step up gives that day).
void ShowOptionalDate(QDateEdit& picker, const CivilDate& date, bool present);
// Shows time in picker, or shows it absent.
void ShowOptionalTime(QTimeEdit& picker, const CivilTime& time, bool present);
// False while picker shows AbsentDateText.
bool ShowsValue(const QDateTimeEdit& picker);

CivilDate PickedDate(const QDateEdit& picker);
CivilTime PickedTime(const QTimeEdit& picker);

}  // namespace folivo::app
