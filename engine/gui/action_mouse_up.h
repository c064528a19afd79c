// The base of every release action (kind 4): the widget released on calls
// execute with itself, the pointer position in logical units and the button
// (0 left, 1 right). Owned by the widget it is attached to (Object::addAction).
#pragma once

#include "engine/gui/action_base.h"

namespace keltraWorks {

class actionMouseUp : public actionBase {
  public:
    int getKind() const override { return KindRelease; }

    using actionBase::execute;
    void execute(Object* sender, vector2 point, int button) override = 0;
};

} // namespace keltraWorks
