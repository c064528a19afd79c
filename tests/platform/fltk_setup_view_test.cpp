// Drives the real FLTK dialog on the test display: keys are fed to FLTK the
// way its event loop would deliver them, from a timer inside the dialog's own
// modal loop. FLTK can open its display once per process, so each case shows
// the dialog once (every case runs as its own process).
#include "engine/platform/fltk_setup_view.h"

#include "engine/platform/setup_dlg.h"
#include "tests/platform/scripted_modes.h"

#include <FL/Fl.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Window.H>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

using glintTest::mode;
using glintTest::ScriptedModes;
using keltraWorks::DisplayMode;
using keltraWorks::FltkSetupView;
using keltraWorks::SetupDlg;
using keltraWorks::SetupView;

namespace {

// Not the player's own title: the view must show the caption it is given.
constexpr char Caption[] = "a test :: Setup";

// 1024 x 768 at 32 bits per pixel at each of the rates.
ScriptedModes fixedModes(const std::vector<int>& rates) {
    std::vector<DisplayMode> list;
    for (int rate : rates) {
        list.push_back(mode(1024, 768, 32, rate));
    }
    return ScriptedModes(list);
}

// What the dialog looked like when the key was pressed.
struct Seen {
    bool found = false;
    int x = 0, y = 0, w = 0, h = 0;
    bool modal = false;
    const char* caption = nullptr;
    bool windowedTicked = false;
    int activeChoices = 0;
    int choices = 0;
    bool windowedActive = false;
    int resolutionLines = 0;
    int rateLines = 0;
};

struct Script {
    int key = 0;
    Seen seen;
    // The resolution line the user picks before the key, if any.
    int pickResolution = -1;
};

void inspect(Fl_Window* window, Seen& seen) {
    seen.found = true;
    seen.x = window->x();
    seen.y = window->y();
    seen.w = window->w();
    seen.h = window->h();
    seen.modal = window->modal() != 0;
    seen.caption = window->label();
    for (int i = 0; i < window->children(); ++i) {
        Fl_Widget* child = window->child(i);
        if (auto* check = dynamic_cast<Fl_Check_Button*>(child)) {
            seen.windowedTicked = check->value() != 0;
            seen.windowedActive = check->active() != 0;
        } else if (auto* choice = dynamic_cast<Fl_Choice*>(child)) {
            ++seen.choices;
            seen.activeChoices += choice->active() ? 1 : 0;
            // Resolutions first, then rates; size() counts the terminator.
            (seen.choices == 1 ? seen.resolutionLines : seen.rateLines) = choice->size() - 1;
        }
    }
}

void pressKey(void* data) {
    auto* script = static_cast<Script*>(data);
    Fl_Window* window = Fl::first_window();
    if (!window) {
        Fl::repeat_timeout(0.05, pressKey, data);
        return;
    }
    if (script->pickResolution >= 0) {
        for (int i = 0; i < window->children(); ++i) {
            if (auto* choice = dynamic_cast<Fl_Choice*>(window->child(i))) {
                choice->value(script->pickResolution);
                choice->do_callback();
                break;
            }
        }
    }
    inspect(window, script->seen);
    // A key press as FLTK's own loop hands it on: focus first, then shortcut.
    Fl::e_keysym = script->key;
    Fl::e_state = 0;
    Fl::e_text = const_cast<char*>("");
    Fl::e_length = 0;
    if (!Fl::handle(FL_KEYBOARD, window)) {
        Fl::handle(FL_SHORTCUT, window);
    }
}

bool haveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display && std::strlen(display) > 0;
}

// CTest runs every case in a process of its own; run by hand, only the first
// dialog case of the process can show the dialog.
bool dialogShownInThisProcess = false;

#define NEED_A_FRESH_DISPLAY()                                                                     \
    do {                                                                                           \
        if (!haveDisplay()) {                                                                      \
            GTEST_SKIP() << "needs a display";                                                     \
        }                                                                                          \
        if (dialogShownInThisProcess) {                                                            \
            GTEST_SKIP() << "FLTK shows one dialog per process; run this case on its own";         \
        }                                                                                          \
        dialogShownInThisProcess = true;                                                           \
    } while (false)

} // namespace

TEST(FltkSetupView, EnterAcceptsTheDefaultsInACentredModalDialog) {
    NEED_A_FRESH_DISPLAY();
    ScriptedModes modes = fixedModes({85, 60});
    FltkSetupView view(Caption);
    SetupDlg dialog(1024, 768, modes, view);
    // Work started "once the dialog is on screen" is started once, with the
    // dialog mapped and drawn; the key comes after it (or, should it never
    // come, after five seconds, and the test fails).
    int shownCalls = 0;
    bool drawnWhenShown = false;
    Script script{FL_Enter, {}};
    dialog.onShown = [&] {
        ++shownCalls;
        Fl_Window* w = Fl::first_window();
        drawnWhenShown = w != nullptr && w->visible() && w->damage() == 0;
        Fl::remove_timeout(pressKey, &script);
        Fl::add_timeout(0.0, pressKey, &script);
    };
    Fl::add_timeout(5.0, pressKey, &script);
    ASSERT_TRUE(dialog.run());
    EXPECT_EQ(shownCalls, 1);
    EXPECT_TRUE(drawnWhenShown);
    ASSERT_TRUE(script.seen.found);
    EXPECT_EQ(script.seen.w, 375);
    EXPECT_EQ(script.seen.h, 278);
    EXPECT_TRUE(script.seen.modal);
    EXPECT_STREQ(script.seen.caption, Caption);
    int sx, sy, sw, sh;
    Fl::screen_xywh(sx, sy, sw, sh, 0);
    EXPECT_NEAR(script.seen.x + script.seen.w / 2, sx + sw / 2, 1);
    EXPECT_NEAR(script.seen.y + script.seen.h / 2, sy + sh / 2, 1);
    EXPECT_EQ(script.seen.rateLines, 2);
    EXPECT_EQ(script.seen.activeChoices, 2);
    EXPECT_TRUE(dialog.fullscreen);
    EXPECT_EQ(dialog.frequency, 85);
    // The dialog is gone from FLTK's list once run() returns.
    EXPECT_EQ(Fl::first_window(), nullptr);
}

TEST(FltkSetupView, PickingTheDesktopsLineShowsItsRateAndChoosesIt) {
    NEED_A_FRESH_DISPLAY();
    ScriptedModes modes = fixedModes({85, 75, 60});
    modes.haveDesktop = true;
    modes.desktop = mode(1920, 1080, 32, 50);
    FltkSetupView view(Caption);
    SetupDlg dialog(1024, 768, modes, view);
    Script script{FL_Enter, {}, 1};
    Fl::add_timeout(0.1, pressKey, &script);
    ASSERT_TRUE(dialog.run());
    ASSERT_TRUE(script.seen.found);
    EXPECT_EQ(script.seen.resolutionLines, 2);
    EXPECT_EQ(script.seen.rateLines, 1);
    EXPECT_TRUE(dialog.desktopChosen);
    EXPECT_EQ(dialog.frequency, 50);
}

TEST(FltkSetupView, EscapeCancels) {
    NEED_A_FRESH_DISPLAY();
    ScriptedModes modes = fixedModes({60});
    FltkSetupView view(Caption);
    SetupDlg dialog(1024, 768, modes, view);
    Script script{FL_Escape, {}};
    Fl::add_timeout(0.1, pressKey, &script);
    EXPECT_FALSE(dialog.run());
    EXPECT_TRUE(script.seen.found);
    EXPECT_EQ(dialog.endCode, SetupDlg::EndCancel);
    // FLTK cannot be brought up twice in one process: a second showing is
    // refused instead of touching a closed connection.
    EXPECT_FALSE(dialog.run());
    EXPECT_EQ(dialog.endCode, SetupView::CannotShow);
}

TEST(FltkSetupView, WithoutModesTheChoicesAreGreyAndWindowedIsTicked) {
    NEED_A_FRESH_DISPLAY();
    ScriptedModes modes = fixedModes({});
    FltkSetupView view(Caption);
    SetupDlg dialog(1024, 768, modes, view);
    Script script{FL_Enter, {}};
    Fl::add_timeout(0.1, pressKey, &script);
    ASSERT_TRUE(dialog.run());
    ASSERT_TRUE(script.seen.found);
    EXPECT_EQ(script.seen.choices, 2);
    EXPECT_EQ(script.seen.activeChoices, 0);
    EXPECT_FALSE(script.seen.windowedActive);
    EXPECT_TRUE(script.seen.windowedTicked);
    EXPECT_FALSE(dialog.fullscreen);
    EXPECT_EQ(dialog.frequency, 0);
}
