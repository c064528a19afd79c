// What the player shows on the desktop, named once: the titles of its
// windows, the size of its client area, the logical scene laid over it and
// where the main screen's controls sit in that scene. The app names its
// windows and builds its screen from these; the outside driver
// (tools/player_driver) finds and works the running player by the same
// numbers. Sizes of the client area are pixels; positions and sizes in the
// scene are logical units, origin top-left, y downward. Constants only.
#pragma once

namespace playerWindows {

inline constexpr char SetupTitle[] = "keltraWorks :: Setup";
inline constexpr char PlayerTitle[] = "TEV/VORMILA :: [ GLINT ]";
// The caption of the message box shown when the player cannot start.
inline constexpr char ErrorTitle[] = "[GLINT] Error";

// The window's client area, and the one full-screen mode, in pixels.
constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;
// The logical scene over the client area: 64 pixels a unit at 1024 x 768.
constexpr float SceneWidth = 16.0f;
constexpr float SceneHeight = 12.0f;

struct Point {
    float x;
    float y;
};

// The close button's top-left corner.
constexpr Point ClosePosition{14.5f, 1.0f};
// The transport buttons' row: play, stop, previous and next from its
// top-left corner, each at the previous one's right edge plus the spacing.
constexpr Point TransportRow{1.4f, 9.0f};
constexpr float TransportSpacing = -0.15f;
// A control takes its size from its picture; the generated control pictures
// are 64 x 64 pixels, one unit square.
constexpr float ControlSize = 1.0f;

enum class Control { Play, Stop, Previous, Next, Close };

// The centre of a control, in logical units.
constexpr Point controlCentre(Control control) {
    if (control == Control::Close) {
        return {ClosePosition.x + ControlSize / 2, ClosePosition.y + ControlSize / 2};
    }
    const float index = static_cast<float>(static_cast<int>(control));
    return {TransportRow.x + index * (ControlSize + TransportSpacing) + ControlSize / 2,
            TransportRow.y + ControlSize / 2};
}

} // namespace playerWindows
