// The one way a mouse event enters the widget tree. The point, in logical
// units, reaches the root only when the root's hitTest accepts it: a move
// through onMouseMove, a press through onMouseDown, a release through
// onMouseUp, which route it on (object.h). A move the root does not accept,
// and the pointer leaving the window (Leave, no point), end the hover of
// everything below the root (routeMouseLeave). Afterwards pressTaken and
// releaseTaken (event_flags.h) are false again, whether or not a widget took
// the event, so that the next press or release looks for a taker afresh.
// The root is not owned. Window thread only, like the whole tree.
#pragma once

#include "engine/core/vector.h"

namespace keltraWorks {

class Object;

enum class MouseEventKind { Move, Press, Release, Leave };

// `button` is 0 for left, 1 for right; a move or leave ignores it, and a
// leave the point too.
void dispatchMouseEvent(Object& root, MouseEventKind kind, vector2 point, int button = 0);

} // namespace keltraWorks
