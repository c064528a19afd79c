// Process-wide event state shared by the widget tree and the main window.
//   pressTaken    set when a routed press has found its one taker;
//                 dispatchMouseEvent clears it after each event.
//   releaseTaken  the same for releases.
//   popupVisible  true while a popup menu is shown; buttons outside a visible
//                 popup then ignore presses and releases.
// All false at start. Plain bools: everything runs on the window's thread.
#pragma once

namespace keltraWorks {

extern bool pressTaken;
extern bool releaseTaken;
extern bool popupVisible;

} // namespace keltraWorks
