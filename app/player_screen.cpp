#include "app/player_screen.h"

#include "engine/gui/object.h"

PlayerScreen playerScreen;

void hideIfShown(keltraWorks::Object* widget) {
    if (widget && !widget->hidden) {
        widget->hide();
    }
}
