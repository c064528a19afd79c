// The one way a mouse event enters the widget tree. The point, in logical
// units, reaches the root only when the root's hitTest accepts it: a move
// through onMouseMove, a press through onMouseDown, a release through
// onMouseUp, which route it on (object.h). Afterwards pressTaken and
// releaseTaken (event_flags.h) are false again, whether or not a widget took
// the event, so that the next press or release looks for a taker afresh.
// The root is not owned. Window thread only, like the whole tree.
#pragma once

#include "engine/core/vector.h"

namespace keltraWorks {

class Object;

enum class MouseEventKind { Move, Press, Release };

// `button` is 0 for left, 1 for right; a move ignores it.
void dispatchMouseEvent(Object& root, MouseEventKind kind, vector2 point, int button = 0);

} // namespace keltraWorks
