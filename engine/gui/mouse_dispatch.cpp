#include "engine/gui/mouse_dispatch.h"

#include "engine/gui/event_flags.h"
#include "engine/gui/object.h"

namespace keltraWorks {

void dispatchMouseEvent(Object& root, MouseEventKind kind, vector2 point, int button) {
    const bool inside = kind != MouseEventKind::Leave && root.hitTest(point);
    switch (kind) {
    case MouseEventKind::Move:
        if (inside) {
            root.onMouseMove(point);
        } else {
            root.routeMouseLeave();
        }
        break;
    case MouseEventKind::Press:
        if (inside) {
            root.onMouseDown(point, button);
        }
        break;
    case MouseEventKind::Release:
        if (inside) {
            root.onMouseUp(point, button);
        }
        break;
    case MouseEventKind::Leave:
        root.routeMouseLeave();
        break;
    }
    pressTaken = false;
    releaseTaken = false;
}

} // namespace keltraWorks
