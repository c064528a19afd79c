#include "engine/gui/action_base.h"

namespace keltraWorks {

actionBase::~actionBase() = default;

void actionBase::execute(Object*) {}

void actionBase::execute(Object*, vector2) {}

void actionBase::execute(Object*, vector2, int) {}

void actionBase::execute(Object*, Renderer*) {}

} // namespace keltraWorks
