#include "engine/gui/mouse_dispatch.h"

#include "engine/gui/event_flags.h"
#include "engine/gui/object.h"

namespace keltraWorks {

void dispatchMouseEvent(Object& root, MouseEventKind kind, vector2 point, int button) {
    if (root.hitTest(point)) {
        switch (kind) {
        case MouseEventKind::Move:
            root.onMouseMove(point);
            break;
        case MouseEventKind::Press:
            root.onMouseDown(point, button);
            break;
        case MouseEventKind::Release:
            root.onMouseUp(point, button);
            break;
        }
    }
    pressTaken = false;
    releaseTaken = false;
}

} // namespace keltraWorks
