#include "engine/gui/event_flags.h"

namespace keltraWorks {

bool pressTaken = false;
bool releaseTaken = false;
bool popupVisible = false;

} // namespace keltraWorks
