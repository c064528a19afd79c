#include "engine/gui/object.h"

#include "engine/render/renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace keltraWorks {

const char* const PopupMenuType = "PopupMenu Widget";

namespace {

const char* const PosX = "posx";
const char* const PosY = "posy";
const char* const SizeX = "sizex";
const char* const SizeY = "sizey";

// Builds the controller for one axis of moveTo/resizeTo, or null for a mode
// that cancels the animation.
Controller* makeController(int mode, float from, float to, float timeOrSpeed, float ratio) {
    if (mode == 0) {
        return new TimeCtrl(from, to, timeOrSpeed);
    }
    if (mode == 1) {
        return new SpeedCtrl(from, to, timeOrSpeed * ratio);
    }
    return nullptr;
}

// Speed ratios that make both axes arrive together: the longer leg keeps the
// full speed, the shorter one is slowed in proportion, so the path is straight.
void legRatios(vector2 start, vector2 target, float* rx, float* ry) {
    const float dx = std::fabs(start.x - target.x);
    const float dy = std::fabs(start.y - target.y);
    *rx = 1.0f;
    *ry = 1.0f;
    if (dy < dx && dx != 0.0f) {
        *ry = dy / dx;
    }
    if (dy > dx && dy != 0.0f) {
        *rx = dx / dy;
    }
}

} // namespace

Object::Object(Object* parent, const char* name) {
    if (name != nullptr) {
        std::size_t length = 0;
        while (length < sizeof(this->name) - 1 && name[length] != '\0') {
            ++length;
        }
        std::memcpy(this->name, name, length);
        this->name[length] = '\0';
    }
    if (parent == nullptr) {
        return;
    }
    this->parent = parent;
    index = int(parent->children.size());
    parent->children.push_back(this);
    parent->computeSize();
    parent->computePosition();
}

Object::~Object() {
    // Deleted directly while still attached: unhook from the parent so that it
    // neither frees this object a second time nor lays out a dead sibling.
    if (parent != nullptr) {
        auto& siblings = parent->children;
        auto it = std::find(siblings.begin(), siblings.end(), this);
        if (it != siblings.end()) {
            for (auto later = it + 1; later != siblings.end(); ++later) {
                --(*later)->index;
            }
            siblings.erase(it);
        }
    }
    for (Object* c : children) {
        c->parent = nullptr; // the parent is going away: nothing to unhook
        delete c;
    }
    children.clear();
    for (auto& action : actions) {
        action.reset();
    }
    controllers.clear();
}

// ---- actions, visibility and setters ----

bool Object::addAction(actionBase* action) {
    if (action == nullptr) {
        return false;
    }
    const int kind = action->getKind();
    if (kind < KindMove || kind > KindPaint) {
        return false;
    }
    actions[kind - 1].reset(action);
    return true;
}

actionBase* Object::getAction(int kind) const {
    if (kind < KindMove || kind > KindPaint) {
        return nullptr;
    }
    return actions[kind - 1].get();
}

Controller* Object::getController(const std::string& key) const {
    auto it = controllers.find(key);
    return it == controllers.end() ? nullptr : it->second.get();
}

void Object::hide() {
    hidden = true;
    for (std::size_t i = 0; i < children.size(); ++i) {
        children[i]->hide();
    }
    if (getType() == PopupMenuType) {
        popupVisible = false;
    }
}

void Object::show() {
    hidden = false;
    for (std::size_t i = 0; i < children.size(); ++i) {
        children[i]->show();
    }
    if (getType() == PopupMenuType) {
        popupVisible = true;
    }
}

void Object::setSize(vector2 s) {
    size = s;
    sizeLocked = true;
    dirty = true;
}

void Object::setPosition(vector2 p) {
    position = p;
    positionLocked = true;
    dirty = true;
}

void Object::setBlendFunc(int source, int destination) {
    blendSource = source;
    blendDestination = destination;
}

void Object::setFloating() {
    floating = true;
}

void Object::setPadding(float value) {
    padding = value;
    dirty = true;
}

void Object::setSpacing(float value) {
    spacing = value;
    dirty = true;
}

void Object::setDirection(int value) {
    direction = value;
    dirty = true;
}

void Object::setAlignment(int value) {
    alignment = value;
    dirty = true;
}

void Object::setMinSize(vector2 s) {
    minSize = s;
    dirty = true;
}

void Object::setUseMinSize(bool use) {
    useMinSize = use;
    dirty = true;
}

void Object::setMaxSize(vector2 s) {
    maxSize = s;
    dirty = true;
}

// ---- geometry ----

void Object::layout() {
    if (!dirty) {
        return;
    }
    computeSize();
    computePosition();
    dirty = false;
}

vector2 Object::getPosition() {
    layout();
    return position;
}

vector2 Object::getSize() {
    layout();
    return size;
}

vector2 Object::getRelativePosition() {
    if (parent == nullptr) {
        return getPosition();
    }
    return getPosition() - parent->getPosition();
}

vector4 Object::getRect() {
    const vector2 p = getPosition();
    const vector2 s = getSize();
    return vector4(p.x, p.y, p.x + s.x, p.y + s.y);
}

bool Object::hitTest(vector2 point, vector2* out) {
    const vector4 r = getRect();
    if (point.x > r.x && point.x < r.z && point.y > r.y && point.y < r.w) {
        if (out != nullptr) {
            *out = point;
        }
        return true;
    }
    return false;
}

vector2 Object::fitToImage(Renderer* renderer, int texture) {
    if (renderer == nullptr) {
        return vector2();
    }
    const ImageInfo* info = renderer->getTextureInfo(texture);
    if (info == nullptr) {
        return vector2();
    }
    float unitsX = 0.0f;
    float unitsY = 0.0f;
    renderer->getUnitsPerPixel(&unitsX, &unitsY);
    const float w = float(info->imageWidth) * unitsX;
    const float h = float(info->imageHeight) * unitsY;
    // Intended: the size only ever grows to fit a picture, so a widget given a
    // larger size keeps it when it shows a smaller image.
    if (w > size.x) {
        size.x = w;
    }
    if (h > size.y) {
        size.y = h;
    }
    sizeLocked = true;
    if (parent != nullptr) {
        parent->dirty = true;
        parent->layout();
    }
    return vector2(w, h);
}

// ---- layout passes ----

void Object::computeSize() {
    // Pass 1: settle the children's sizes first (sizes flow bottom-up).
    for (std::size_t i = 0; i < children.size(); ++i) {
        children[i]->computeSize();
    }
    if (sizeLocked) {
        return;
    }
    // Pass 2: the extent of the flow. Hidden children take no room, but the
    // spacing test counts them, so a hidden last child leaves trailing spacing.
    vector2 flow(2.0f * padding, 2.0f * padding);
    float widest = 0.0f;
    float highest = 0.0f;
    const std::size_t n = children.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Object* c = children[i];
        if (c->hidden) {
            continue;
        }
        if (direction == 0) {
            flow.x += c->size.x;
            if (i + 1 < n) {
                flow.x += spacing;
            }
        } else if (direction == 1) {
            flow.y += c->size.y;
            if (i + 1 < n) {
                flow.y += spacing;
            }
        }
        widest = std::max(widest, c->size.x);
        highest = std::max(highest, c->size.y);
    }
    // Pass 3: the box takes the largest of the flow, the biggest child and the
    // content size, capped by maxSize.
    const vector2 content = contentSize();
    const float width = std::max({flow.x, widest, content.x});
    const float height = std::max({flow.y, highest, content.y});
    size = vector2(std::min(width, maxSize.x), std::min(height, maxSize.y));
}

vector2 Object::contentSize() const {
    if (useMinSize) {
        return minSize;
    }
    float widest = 0.0f;
    float highest = 0.0f;
    for (const Object* c : children) {
        widest = std::max(widest, c->size.x);
        highest = std::max(highest, c->size.y);
    }
    return vector2(widest + 2.0f * padding, highest + 2.0f * padding);
}

void Object::computePosition() {
    if (parent == nullptr) {
        if (!positionLocked) {
            position = vector2();
        }
    } else if (!positionLocked) {
        // Pass 1: the corner of the parent's box where its flow starts.
        const vector2 p = parent->position;
        const vector2 box = parent->size;
        const float pad = parent->padding;
        const int align = parent->alignment;
        vector2 at = p;
        switch (align) {
        case 2:
            at = vector2(p.x + pad, p.y + pad);
            break;
        case 3:
            at = vector2(p.x + box.x - (size.x + pad), p.y + pad);
            break;
        case 4:
            at = vector2(p.x + pad, p.y + box.y - (size.y + pad));
            break;
        case 5:
            at = vector2(p.x + box.x - (size.x + pad), p.y + box.y - (size.y + pad));
            break;
        default:
            break;
        }
        // Pass 2: step past the earlier siblings that take part in the flow;
        // right- and bottom-anchored flows run leftward and upward.
        const float sp = parent->spacing;
        for (int j = 0; j < index && j < int(parent->children.size()); ++j) {
            const Object* sibling = parent->children[std::size_t(j)];
            if (sibling->hidden || sibling->floating) {
                continue;
            }
            if (parent->direction == 0) {
                const float step = sibling->size.x + sp;
                if (align == 2 || align == 4) {
                    at.x += step;
                } else if (align == 3 || align == 5) {
                    at.x -= step;
                }
            } else if (parent->direction == 1) {
                const float step = sibling->size.y + sp;
                if (align == 2 || align == 3) {
                    at.y += step;
                } else if (align == 4 || align == 5) {
                    at.y -= step;
                }
            }
        }
        position = at;
    }
    // Pass 3: positions flow top-down.
    for (std::size_t i = 0; i < children.size(); ++i) {
        children[i]->computePosition();
    }
}

// ---- animation ----

void Object::replaceController(const char* key, Controller* controller) {
    controllers.erase(key);
    if (controller != nullptr) {
        controllers.emplace(key, std::unique_ptr<Controller>(controller));
    }
}

void Object::moveTo(int mode, vector2 target, float timeOrSpeed) {
    const vector2 start = getPosition();
    float rx = 1.0f;
    float ry = 1.0f;
    legRatios(start, target, &rx, &ry);
    replaceController(PosX, makeController(mode, start.x, target.x, timeOrSpeed, rx));
    replaceController(PosY, makeController(mode, start.y, target.y, timeOrSpeed, ry));
}

void Object::resizeTo(int mode, vector2 target, float timeOrSpeed) {
    const vector2 start = getSize();
    float rx = 1.0f;
    float ry = 1.0f;
    legRatios(start, target, &rx, &ry);
    replaceController(SizeX, makeController(mode, start.x, target.x, timeOrSpeed, rx));
    replaceController(SizeY, makeController(mode, start.y, target.y, timeOrSpeed, ry));
}

bool Object::readController(const char* key, float* value) {
    auto it = controllers.find(key);
    if (it == controllers.end()) {
        return false;
    }
    Controller* controller = it->second.get();
    if (!controller->timer.running) {
        controllers.erase(it);
        return false;
    }
    controller->update();
    *value = controller->value;
    return true;
}

void Object::update() {
    float vx = 0.0f;
    float vy = 0.0f;
    const bool hasX = readController(PosX, &vx);
    const bool hasY = readController(PosY, &vy);
    if (hasX || hasY) {
        const vector2 now = getPosition();
        position = vector2(hasX ? vx : now.x, hasY ? vy : now.y);
        positionLocked = true;
        dirty = true;
    }

    float vw = 0.0f;
    float vh = 0.0f;
    const bool hasW = readController(SizeX, &vw);
    const bool hasH = readController(SizeY, &vh);
    if (hasW || hasH) {
        const vector2 now = getSize();
        setSize(vector2(hasW ? vw : now.x, hasH ? vh : now.y));
    }

    layout();
}

// ---- drawing and routing ----

void Object::draw(Renderer* renderer) {
    update();
    drawChildren(renderer);
}

std::string Object::getType() const {
    return "Generic Object";
}

void Object::drawChildren(Renderer* renderer) {
    // Index loops throughout: an action may add widgets while we walk.
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i]->getType() != PopupMenuType) {
            children[i]->draw(renderer);
        }
    }
    // Popups go over every sibling of their owner.
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i]->popup != nullptr) {
            children[i]->popup->draw(renderer);
        }
    }
    if (actionBase* paint = actions[KindPaint - 1].get()) {
        paint->execute(this, renderer);
    }
}

void Object::onMouseMove(vector2 point) {
    routeMouseMove(point);
}

void Object::onMouseLeave() {
    if (actionBase* leave = actions[KindLeave - 1].get()) {
        leave->execute(this);
    }
}

void Object::onMouseDown(vector2 point, int button) {
    routeMouseDown(point, button);
}

void Object::onMouseUp(vector2 point, int button) {
    routeMouseUp(point, button);
}

bool Object::routeMouseMove(vector2 point) {
    bool hit = false;
    for (std::size_t i = 0; i < children.size(); ++i) {
        Object* c = children[i];
        if (c->hitTest(point)) {
            c->hovered = true;
            c->onMouseMove(point);
            hit = true;
        } else if (c->hovered) {
            leave(c);
        }
    }
    if (!hit) {
        if (actionBase* move = actions[KindMove - 1].get()) {
            move->execute(this, point);
        }
    }
    return hit;
}

void Object::routeMouseLeave() {
    for (Object* c : children) {
        if (c->hovered) {
            leave(c);
        }
    }
}

// The pointer has left `c`, so it has left every hovered object inside it
// too: those hear it first, innermost first, then `c` itself.
void Object::leave(Object* c) {
    c->hovered = false;
    c->routeMouseLeave();
    c->onMouseLeave();
}

bool Object::routeMouseDown(vector2 point, int button) {
    bool received = false;
    for (std::size_t i = 0; i < children.size() && !pressTaken; ++i) {
        Object* c = children[i];
        if (c->hitTest(point) && !c->hidden) {
            c->onMouseDown(point, button);
            received = true;
        }
    }
    if (!received) {
        // Taken here even without an action, so no later sibling of this
        // object or of its ancestors sees the press.
        pressTaken = true;
        if (actionBase* press = actions[KindPress - 1].get()) {
            press->execute(this, point, button);
        }
    }
    return received;
}

bool Object::routeMouseUp(vector2 point, int button) {
    bool received = false;
    for (std::size_t i = 0; i < children.size() && !releaseTaken; ++i) {
        Object* c = children[i];
        if (c->hitTest(point) && !c->hidden) {
            c->onMouseUp(point, button);
            received = true;
        }
    }
    if (!received) {
        releaseTaken = true;
        if (actionBase* release = actions[KindRelease - 1].get()) {
            release->execute(this, point, button);
        }
    }
    return received;
}

} // namespace keltraWorks
