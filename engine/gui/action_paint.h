// The base of every paint action (kind 5): a widget calls execute with itself
// and the renderer every frame it draws, after its children. This is where the
// program's animation lives. Owned by the widget it is attached to
// (Object::addAction).
#pragma once

#include "engine/gui/action_base.h"

namespace keltraWorks {

class actionPaint : public actionBase {
  public:
    int getKind() const override { return KindPaint; }

    using actionBase::execute;
    void execute(Object* sender, Renderer* renderer) override = 0;
};

} // namespace keltraWorks
