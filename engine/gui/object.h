// The widget base: a node of the widget tree, a box-layout container, the
// target of mouse events and the holder of the actions that react to them.
// A generic Object draws nothing itself; it groups, lays out and routes.
//
// Units: logical units of the renderer (16 x 12 for the client area), origin
// top-left, y downward. Every position is absolute, not relative to the parent.
//
// Ownership: an object owns its children, its actions and its named
// controllers. Destroying an object destroys its children (derived parts
// included, through the virtual destructor) in list order, then its actions
// and controllers. Children are attached by construction and never detached
// or re-parented; deleting a child directly unhooks it from its parent first.
// `popup` is a link, not owned.
//
// Layout is lazy: setters mark `dirty` on the object they change, and that
// object's own update (at its next draw), getPosition, getSize or layout
// recomputes its subtree. Adding a child lays out the parent at once.
//
// Routing: a move reaches every child under the pointer; a press or release
// goes depth first to the first visible child under the pointer and is taken
// by exactly one object, which sets pressTaken/releaseTaken (event_flags.h).
// dispatchMouseEvent (mouse_dispatch.h) clears those flags after each event.
// Whatever is hovered hears a leave once the pointer is elsewhere, however
// far it went in one move (out of its parent, or out of the window), the
// innermost object first.
//
// Animation: moveTo/resizeTo store controllers under "posx", "posy", "sizex"
// and "sizey". Their targets are ABSOLUTE positions and sizes (for a parent at
// the origin this is the same as relative). update applies them each frame;
// a finished controller's final value is applied in the frame it finishes and
// the controller is removed in the next, leaving the object locked there.
//
// Thread safety: none; everything runs on the window's thread.
#pragma once

#include "engine/core/controller.h"
#include "engine/core/vector.h"
#include "engine/gui/action_base.h"
#include "engine/gui/event_flags.h"
#include "engine/render/renderer.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace keltraWorks {

// The kind string the engine recognises as a popup menu.
extern const char* const PopupMenuType;

class Object {
  public:
    // Appends the new object to parent's children (when a parent is given) and
    // lays the parent out at once. The name is copied, at most 255 bytes.
    Object(Object* parent, const char* name);
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Advances the named controllers, applies them, and lays out this subtree
    // if it is dirty.
    virtual void update();
    virtual void onMouseMove(vector2 point);
    // Fires the leave action, if any.
    virtual void onMouseLeave();
    virtual void onMouseDown(vector2 point, int button);
    virtual void onMouseUp(vector2 point, int button);
    // update, then drawChildren; a generic object draws nothing of its own.
    virtual void draw(Renderer* renderer);
    virtual std::string getType() const;
    // mode 0: reach target in timeOrSpeed seconds; mode 1: at timeOrSpeed units
    // per second along a straight path; any other mode cancels the animation.
    // The target is an absolute position.
    virtual void moveTo(int mode, vector2 target, float timeOrSpeed);
    // As moveTo, for the size.
    virtual void resizeTo(int mode, vector2 target, float timeOrSpeed);

    // Takes ownership of an action of kind 1 to 5, replacing (and deleting) the
    // one held for that kind. Returns false, storing nothing, for a null action
    // or any other kind; the caller then still owns it.
    bool addAction(actionBase* action);
    // Hide or show this object and its whole subtree.
    void hide();
    void show();

    void setSize(vector2 s);
    void setPosition(vector2 p);
    void setBlendFunc(int source, int destination);
    void setFloating();
    void setPadding(float padding);
    void setSpacing(float spacing);
    void setDirection(int direction);
    void setAlignment(int alignment);
    void setMinSize(vector2 s);
    void setUseMinSize(bool use);
    void setMaxSize(vector2 s);

    // Recomputes this subtree's layout if it is dirty.
    void layout();
    vector2 getPosition();
    vector2 getSize();
    // Position minus the parent's position; the position itself for a root.
    vector2 getRelativePosition();
    // (left, top, right, bottom).
    vector4 getRect();
    // True strictly inside the rectangle (a point on an edge is outside). Writes
    // the point to *out only when it hits and out is given.
    bool hitTest(vector2 point, vector2* out = nullptr);
    // Grows the size (never shrinks it) to the texture's picture size in
    // logical units and locks it; re-lays out the parent. Returns the picture
    // size, or (0, 0) changing nothing when the texture has no record.
    vector2 fitToImage(Renderer* renderer, int texture);

    // Layout passes: sizes bottom-up, then positions top-down.
    void computeSize();
    void computePosition();
    vector2 contentSize() const;
    // Draws the children (popup menus after all of their siblings) and then
    // fires the paint action.
    void drawChildren(Renderer* renderer);
    // Each returns whether a child under the point received the event.
    bool routeMouseMove(vector2 point);
    bool routeMouseDown(vector2 point, int button);
    bool routeMouseUp(vector2 point, int button);
    // The pointer has left this object's area: every hovered object below it
    // is no longer hovered and hears onMouseLeave, innermost first.
    void routeMouseLeave();

    const char* getName() const { return name; }
    Object* getParent() const { return parent; }
    int getIndex() const { return index; }
    std::size_t childCount() const { return children.size(); }
    Object* child(std::size_t i) const { return i < children.size() ? children[i] : nullptr; }
    // The action held for a kind (1 to 5), or null.
    actionBase* getAction(int kind) const;
    // The controller held under a name, or null.
    Controller* getController(const std::string& key) const;

    Object* popup = nullptr;
    vector2 position;
    vector2 size;
    vector2 minSize;
    vector2 maxSize{8.0f, 6.0f};
    int blendSource = BlendSrcAlpha;
    int blendDestination = BlendOneMinusSrcAlpha;
    bool useMinSize = false;
    bool positionLocked = false;
    bool sizeLocked = false;
    bool hidden = false;
    bool floating = false;
    float padding = 0.2f;
    float spacing = 0.1f;
    int direction = 0; // 0 horizontal, 1 vertical
    // Where the flow starts: 2 top-left, 3 top-right, 4 bottom-left,
    // 5 bottom-right; any other value stacks every child at the box's position.
    int alignment = 2;
    bool dirty = false;
    bool hovered = false;

  private:
    static constexpr int ActionSlots = 5;

    static void leave(Object* child);
    void replaceController(const char* key, Controller* controller);
    // The controller's value for this frame, or false when there is none (a
    // finished controller is deleted here, a frame after its final value).
    bool readController(const char* key, float* value);

    std::vector<Object*> children;
    std::map<std::string, std::unique_ptr<Controller>> controllers;
    Object* parent = nullptr;
    char name[256] = {};
    int index = 0;
    std::unique_ptr<actionBase> actions[ActionSlots];
};

} // namespace keltraWorks
