#include "app/Cursors.h"

#include <QPixmap>

// The resources live in a static library: nothing else would pull them into the program.
static void InitCursorResources()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(cursors);
        return true;
    }();
    (void)initialised;
}

namespace folivo::app {

CursorImage ProgramCursorImage(int slot)
{
    switch (slot) {
    case DragCursorSlot: return {":/cursors/MYSB_DRAGC.xpm", QPoint(15, 16)};
    case LupeCursorSlot: return {":/cursors/MYSB_LUPE.xpm", QPoint(12, 12)};
    case ArrowCursorSlot: return {":/cursors/32763.xpm", QPoint(0, 0)};
    default: return {};
    }
}

QCursor LoadProgramCursor(int slot)
{
    InitCursorResources();
    const CursorImage image = ProgramCursorImage(slot);
    if (image.resource.isEmpty()) return QCursor(Qt::ArrowCursor);
    const QPixmap pixmap(image.resource);
    if (pixmap.isNull()) return QCursor(Qt::ArrowCursor);
    return QCursor(pixmap, image.hotSpot.x(), image.hotSpot.y());
}

void CursorSlots::RegisterProgramCursors()
{
    for (const int slot : {DragCursorSlot, LupeCursorSlot, ArrowCursorSlot}) Register(slot, LoadProgramCursor(slot));
}

QCursor CursorSlots::Cursor(int slot) const
{
    const auto found = cursors_.find(slot);
    return found == cursors_.end() ? QCursor(Qt::ArrowCursor) : found->second;
}

}  // namespace folivo::app
