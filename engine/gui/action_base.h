// The interface of event actions: small behaviour objects attached to a widget,
// one per event kind. A widget owns the actions it holds and deletes them
// without further clean-up, so an action holds no resources of its own.
//
// The kind (getKind) selects the widget's slot and which execute overload the
// widget calls:
//   KindMove    execute(sender, point)          pointer moved over the widget
//   KindLeave   execute(sender)                 pointer left the widget
//   KindPress   execute(sender, point, button)  mouse button pressed on it
//   KindRelease execute(sender, point, button)  mouse button released on it
//   KindPaint   execute(sender, renderer)       after the widget drew its children
// Points are logical units; button is 0 for the left and 1 for the right one.
// The overloads a kind does not use do nothing. Single-threaded: actions run on
// the window's thread, from event dispatch or from drawing.
#pragma once

#include "engine/core/vector.h"

namespace keltraWorks {

class Object;
class Renderer;

enum ActionKind : int {
    KindMove = 1,
    KindLeave = 2,
    KindPress = 3,
    KindRelease = 4,
    KindPaint = 5,
};

class actionBase {
  public:
    actionBase() = default;
    virtual ~actionBase();
    actionBase(const actionBase&) = delete;
    actionBase& operator=(const actionBase&) = delete;

    virtual int getKind() const = 0;

    // Leave.
    virtual void execute(Object* sender);
    // Move.
    virtual void execute(Object* sender, vector2 point);
    // Press and release.
    virtual void execute(Object* sender, vector2 point, int button);
    // Paint.
    virtual void execute(Object* sender, Renderer* renderer);
};

} // namespace keltraWorks
