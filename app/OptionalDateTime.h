// The information page's date and time pickers for a date that may be absent. An absent date
// shows AbsentDateText; the user's first change (typing, stepping, the calendar) makes it a
// date again, and stepping or the calendar start at the moment of opening.
#pragma once

#include <QDate>
#include <QDateEdit>
#include <QString>
#include <QTime>
#include <QTimeEdit>

#include "model/DocumentModel.h"

namespace folivo::app {

inline const QString AbsentDateText = "nicht gesetzt";

class OptionalDateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit OptionalDateEdit(QWidget* parent = nullptr);
    // Shows date, or shows it absent with date as the starting point.
    void ShowDate(const CivilDate& date, bool present);
    bool ShowsValue() const;
    CivilDate Value() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void stepBy(int steps) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDate start_;
};

class OptionalTimeEdit : public QTimeEdit {
    Q_OBJECT
public:
    explicit OptionalTimeEdit(QWidget* parent = nullptr);
    // Shows time, or shows it absent with time as the starting point.
    void ShowTime(const CivilTime& time, bool present);
    bool ShowsValue() const;
    CivilTime Value() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void stepBy(int steps) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTime start_;
};

}  // namespace folivo::app
