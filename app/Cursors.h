// The program's own screen cursors, kept in numbered slots from which the page view selects.
#pragma once

#include <QCursor>
#include <QPoint>
#include <QString>
#include <map>

namespace folivo::app {

// The slots the page tools select.
inline constexpr int DragCursorSlot = 9;    // closed hand ("MYSB_DRAGC"), while the hand is down
inline constexpr int LupeCursorSlot = 11;   // magnifier ("MYSB_LUPE"), while the magnifier is down
inline constexpr int ArrowCursorSlot = 12;  // the program's arrow (number 32763), otherwise

// Where a slot's image lives in the resources and which of its pixels is the hot spot; an empty
// path for a slot without one of the program's cursors.
struct CursorImage {
    QString resource;
    QPoint hotSpot;
};
CursorImage ProgramCursorImage(int slot);

// The program cursor of a slot, or the standard arrow when the slot has none or its image does
// not load.
QCursor LoadProgramCursor(int slot);

class CursorSlots {
public:
    // Puts the program's three cursors into their slots.
    void RegisterProgramCursors();
    void Register(int slot, const QCursor& cursor) { cursors_[slot] = cursor; }
    // The slot's cursor; the standard arrow for an empty slot.
    QCursor Cursor(int slot) const;

private:
    std::map<int, QCursor> cursors_;
};

}  // namespace folivo::app
