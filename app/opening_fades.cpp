#include "app/opening_fades.h"

#include "app/player_screen.h"
#include "app/ramp_value.h"
#include "engine/gui/button.h"
#include "engine/gui/static.h"
#include "engine/render/renderer.h"

using keltraWorks::BlendDstColor;
using keltraWorks::BlendOneMinusSrcAlpha;
using keltraWorks::BlendSrcAlpha;
using keltraWorks::Button;
using keltraWorks::Object;
using keltraWorks::Renderer;
using keltraWorks::Static;

namespace {

float introSeconds() {
    return playerScreen.introClock.elapsed();
}

// Tint, pressed and hover alpha of a button fade in together over 1 s.
void fadeInButton(Object* sender, double start) {
    auto* button = dynamic_cast<Button*>(sender);
    if (!button) {
        return;
    }
    const float a = rampValue(secondsSince(playerScreen.introClock, start), 1.0f, 0.0f, 1.0f);
    button->setAlpha(a);
    button->setPressedAlpha(a);
    button->setHoverAlpha(a);
}

} // namespace

void actionTitleFade::execute(Object* sender, Renderer*) {
    auto* title = dynamic_cast<Static*>(sender);
    if (!title) {
        return;
    }
    if (introSeconds() > 8.0f) {
        title->setAlpha(rampValue(secondsSince(playerScreen.introClock, 8.0), 2.0f, 1.0f, 0.0f));
    } else {
        title->setAlpha(rampValue(secondsSince(playerScreen.introClock, 1.0), 4.0f, 0.0f, 1.0f));
    }
}

void actionLogoFade::execute(Object* sender, Renderer*) {
    auto* logo = dynamic_cast<Static*>(sender);
    if (!logo) {
        return;
    }
    if (introSeconds() < 1.0f) {
        const float a = rampValue(introSeconds(), 1.0f, 0.0f, 1.0f);
        logo->setBlendFunc(BlendSrcAlpha, BlendOneMinusSrcAlpha);
        logo->setAlpha(a);
    } else {
        // From 1 s the dark logo is multiplied onto the title picture; its
        // alpha stays where the fade-in left it.
        logo->setBlendFunc(BlendDstColor, BlendOneMinusSrcAlpha);
    }
    if (introSeconds() > 10.0f) {
        if (playerScreen.main && playerScreen.main->hidden) {
            playerScreen.main->show();
        }
        const float a = rampValue(secondsSince(playerScreen.introClock, 10.0), 1.0f, 1.0f, 0.0f);
        logo->setBlendFunc(BlendSrcAlpha, BlendOneMinusSrcAlpha);
        logo->setAlpha(a);
    }
}

void actionMainFade::execute(Object* sender, Renderer*) {
    auto* main = dynamic_cast<Static*>(sender);
    if (!main) {
        return;
    }
    if (introSeconds() > 10.0f) {
        main->setAlpha(rampValue(secondsSince(playerScreen.introClock, 10.0), 3.0f, 0.0f, 1.0f));
    }
    if (introSeconds() > 11.0f) {
        hideIfShown(playerScreen.title);
        hideIfShown(playerScreen.logo);
    }
}

void actionGUIFade::execute(Object* sender, Renderer*) {
    if (auto* part = dynamic_cast<Static*>(sender)) {
        part->setAlpha(rampValue(secondsSince(playerScreen.introClock, 11.0), 2.0f, 0.0f, 1.0f));
    }
}

void actionCloseFade::execute(Object* sender, Renderer*) {
    fadeInButton(sender, 12.5);
}

void actionPlayFade::execute(Object* sender, Renderer*) {
    fadeInButton(sender, 12.5);
}

void actionStopFade::execute(Object* sender, Renderer*) {
    fadeInButton(sender, 13.0);
}

void actionPrevFade::execute(Object* sender, Renderer*) {
    fadeInButton(sender, 13.5);
}

void actionNextFade::execute(Object* sender, Renderer*) {
    fadeInButton(sender, 14.0);
}
