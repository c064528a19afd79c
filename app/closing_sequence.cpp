#include "app/closing_sequence.h"

#include "app/player_screen.h"
#include "app/ramp_value.h"
#include "engine/gui/static.h"
#include "engine/platform/quit_request.h"

using keltraWorks::Object;
using keltraWorks::Renderer;
using keltraWorks::Static;

namespace {

float endSeconds() { return playerScreen.endClock.elapsed(); }

} // namespace

void beginClosingSequence() {
    playerScreen.endClock.start();
    if (playerScreen.credits) {
        playerScreen.credits->show();
    }
    if (playerScreen.endTitle) {
        playerScreen.endTitle->show();
    }
}

void actionEndFade::execute(Object* sender, Renderer*) {
    auto* endTitle = dynamic_cast<Static*>(sender);
    if (!endTitle) {
        return;
    }
    if (endSeconds() > 3.0f) {
        hideIfShown(playerScreen.main);
        hideIfShown(playerScreen.title);
        hideIfShown(playerScreen.logo);
    }
    endTitle->setAlpha(rampValue(endSeconds(), 3.0f, 0.0f, 1.0f));
}

void actionScroll::execute(Object* sender, Renderer*) {
    const float y = rampValue(endSeconds(), 30.0f, 12.0f, -16.0f);
    sender->setPosition(vector2(8.2f, y));
    if (endSeconds() > 31.0f) {
        keltraWorks::postQuitMessage(0);
    }
}
