#include "app/build_player_screen.h"

#include "app/closing_sequence.h"
#include "app/opening_fades.h"
#include "app/player_screen.h"
#include "app/player_windows.h"
#include "app/stream_sample_source.h"
#include "app/time_display.h"
#include "app/track_player.h"
#include "app/transport_actions.h"
#include "engine/gui/analyzer.h"
#include "engine/gui/button.h"
#include "engine/gui/colors.h"
#include "engine/gui/frame.h"
#include "engine/gui/static.h"
#include "engine/platform/app_window.h"
#include "engine/render/renderer.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace keltraWorks;

namespace {

struct Pictures {
    int title = 0;
    int logo = 0;
    int main = 0;
    int endTitle = 0;
    int credits = 0;
    int close = 0;
    int trackLabel = 0;
    int timeLabel = 0;
    int stopNormal = 0;
    int prevNormal = 0;
    int nextNormal = 0;
    int stopPressed = 0;
    int prevPressed = 0;
    int nextPressed = 0;
    int colon = 0;
};

// The pictures with a fixed name, in the order the screen has always loaded
// them: backgrounds with linear filtering, controls pixel-exact. The digits,
// the colon and the ten track names follow them.
enum FixedPicture {
    TitlePicture,
    LogoPicture,
    MainPicture,
    EndTitlePicture,
    CreditsPicture,
    ClosePicture,
    TrackLabelPicture,
    TimeLabelPicture,
    PauseOffPicture,
    StopOffPicture,
    PrevOffPicture,
    NextOffPicture,
    PlayOffPicture,
    PauseOnPicture,
    StopOnPicture,
    PrevOnPicture,
    NextOnPicture,
    PlayOnPicture,
    FixedPictureCount
};

struct PictureFile {
    const char* name;
    int filter;
};

constexpr PictureFile FixedPictures[FixedPictureCount] = {
    {"data/background_title.png", FilterLinear}, {"data/logo.png", FilterLinear},
    {"data/background_main.png", FilterLinear},  {"data/background_endtitle.png", FilterLinear},
    {"data/credits.png", FilterLinear},          {"data/gui/close.png", FilterNearest},
    {"data/gui/track_name.png", FilterNearest},  {"data/gui/time.png", FilterNearest},
    {"data/gui/pause_off.png", FilterNearest},   {"data/gui/stop_off.png", FilterNearest},
    {"data/gui/prev_off.png", FilterNearest},    {"data/gui/next_off.png", FilterNearest},
    {"data/gui/play_off.png", FilterNearest},    {"data/gui/pause_on.png", FilterNearest},
    {"data/gui/stop_on.png", FilterNearest},     {"data/gui/prev_on.png", FilterNearest},
    {"data/gui/next_on.png", FilterNearest},     {"data/gui/play_on.png", FilterNearest},
};

std::string digitPicture(int digit) {
    return "data/font/" + std::to_string(digit) + ".png";
}
const char* const ColonPicture = "data/font/dots.png";
std::string trackPicture(int track) {
    return "data/gui/track" + std::to_string(track + 1) + ".png";
}

// Loads every picture, in the order of playerScreenPictures().
Pictures loadPictures(Renderer* r) {
    int fixed[FixedPictureCount];
    for (int i = 0; i < FixedPictureCount; ++i) {
        fixed[i] = r->loadTexture(FixedPictures[i].name, FixedPictures[i].filter, false);
    }
    Pictures p;
    p.title = fixed[TitlePicture];
    p.logo = fixed[LogoPicture];
    p.main = fixed[MainPicture];
    p.endTitle = fixed[EndTitlePicture];
    p.credits = fixed[CreditsPicture];
    p.close = fixed[ClosePicture];
    p.trackLabel = fixed[TrackLabelPicture];
    p.timeLabel = fixed[TimeLabelPicture];
    playerScreen.pauseNormalImage = fixed[PauseOffPicture];
    p.stopNormal = fixed[StopOffPicture];
    p.prevNormal = fixed[PrevOffPicture];
    p.nextNormal = fixed[NextOffPicture];
    playerScreen.playNormalImage = fixed[PlayOffPicture];
    playerScreen.pausePressedImage = fixed[PauseOnPicture];
    p.stopPressed = fixed[StopOnPicture];
    p.prevPressed = fixed[PrevOnPicture];
    p.nextPressed = fixed[NextOnPicture];
    playerScreen.playPressedImage = fixed[PlayOnPicture];
    for (int i = 0; i < 10; ++i) {
        playerScreen.digitImages[i] = r->loadTexture(digitPicture(i), FilterNearest, false);
    }
    p.colon = r->loadTexture(ColonPicture, FilterNearest, false);
    for (int i = 0; i < 10; ++i) {
        playerScreen.trackImages[i] = r->loadTexture(trackPicture(i), FilterNearest, false);
    }
    return p;
}

// A caption, name or digit picture of the main screen, faded in with the
// other parts of the display.
Static* addDisplayPart(Object* parent, Renderer* r, int picture) {
    auto* part = new Static(parent, "");
    part->setAlpha(0);
    part->setColor(colorWhite);
    part->setPadding(0);
    part->setImage(r, picture, true);
    return part;
}

Button* addTransportButton(Object* parent, Renderer* r, int normal, int pressed,
                           actionBase* onRelease, actionBase* fade) {
    auto* button = new Button(parent, "");
    button->setImage(r, normal, true);
    button->setPressedImage(r, pressed, true);
    button->setPressedColor(colorWhite);
    button->addAction(onRelease);
    button->addAction(fade);
    button->setAlpha(0);
    button->setHoverColor(vector3(1, 0, 0));
    return button;
}

} // namespace

std::vector<std::string> playerScreenPictures() {
    std::vector<std::string> names;
    for (const PictureFile& file : FixedPictures) {
        names.push_back(file.name);
    }
    for (int i = 0; i < 10; ++i) {
        names.push_back(digitPicture(i));
    }
    names.push_back(ColonPicture);
    for (int i = 0; i < 10; ++i) {
        names.push_back(trackPicture(i));
    }
    return names;
}

bool buildPlayerScreen(AppWindow& window) {
    // Pass 1: the renderer and every picture.
    Renderer* r = window.getRenderer();
    playerScreen.renderer = r;
    const Pictures p = loadPictures(r);
    float w = 0;
    float h = 0;
    r->getLogicalSize(&w, &h);

    // Pass 2: the backgrounds. The root is an opaque white rectangle over the
    // whole client area, drawn first every frame: it is what clears the
    // picture, since the frame loop never clears the colour buffer.
    auto* root = new Static(nullptr, "");
    playerScreen.root = root;
    root->setPadding(0);
    root->setDirection(0);
    root->setSpacing(0);
    root->setColor(colorWhite);
    root->setAlpha(1);
    root->setSize(vector2(w, h));

    auto* title = new Static(root, "");
    playerScreen.title = title;
    title->setColor(colorWhite);
    title->setAlpha(0);
    title->setImage(r, p.title, true);
    title->setFloating();

    auto* logo = new Static(root, "");
    playerScreen.logo = logo;
    logo->setColor(colorWhite);
    logo->setAlpha(0);
    logo->setBlendFunc(BlendDstColor, BlendOneMinusSrcAlpha);
    logo->setImage(r, p.logo, true);
    logo->setFloating();
    title->addAction(new actionTitleFade);
    logo->addAction(new actionLogoFade);

    // Hidden before its children exist, so none of them flows its siblings
    // out of place or draws before the opening sequence shows it.
    auto* main = new Static(root, "");
    playerScreen.main = main;
    main->setPadding(0);
    main->setDirection(0);
    main->setColor(colorWhite);
    main->setAlpha(0);
    main->setBlendFunc(BlendSrcAlpha, BlendOneMinusSrcAlpha);
    main->setImage(r, p.main, true);
    main->hide();
    main->addAction(new actionMainFade);

    // Pass 3: the controls of the main screen.
    auto* close = new Button(main, "");
    close->setPadding(0);
    close->setAlpha(0);
    close->setPosition(vector2(playerWindows::ClosePosition.x, playerWindows::ClosePosition.y));
    close->setImage(r, p.close, true);
    close->addAction(new actionClose);
    close->addAction(new actionCloseFade);

    Static* trackLabel = addDisplayPart(main, r, p.trackLabel);
    trackLabel->setPosition(vector2(0.4f, 8.25f));
    trackLabel->addAction(new actionGUIFade);

    Static* trackName = addDisplayPart(main, r, playerScreen.trackImages[0]);
    playerScreen.trackName = trackName;
    trackName->setPosition(vector2(1.8f, 8.22f));
    trackName->addAction(new actionGUIFade);

    Static* timeLabel = addDisplayPart(main, r, p.timeLabel);
    timeLabel->setPosition(vector2(6.5f, 8.26f));
    timeLabel->addAction(new actionGUIFade);

    // An invisible row: alpha 0 turns blending on, so its outline never shows.
    auto* timeFrame = new Frame(main, "");
    timeFrame->setAlpha(0);
    timeFrame->setColor(colorBlack);
    timeFrame->setPosition(vector2(7.5f, 8.26f));
    timeFrame->setPadding(0);
    timeFrame->setSpacing(-0.2f);
    timeFrame->addAction(new actionUpdateTime);
    for (int i = 0; i < 4; ++i) {
        if (i == 2) {
            Static* colon = addDisplayPart(timeFrame, r, p.colon);
            colon->addAction(new actionGUIFade);
        }
        Static* digit = addDisplayPart(timeFrame, r, playerScreen.digitImages[0]);
        playerScreen.timeDigits[i] = digit;
        digit->addAction(new actionGUIFade);
    }

    auto* buttons = new Frame(main, "");
    buttons->setAlpha(0);
    buttons->setColor(colorBlack);
    buttons->setLineWidth(1);
    buttons->setPadding(0);
    buttons->setPosition(vector2(playerWindows::TransportRow.x, playerWindows::TransportRow.y));
    buttons->setSpacing(playerWindows::TransportSpacing);
    // The music is already playing when the screen first shows, so the
    // play button starts with the pause pictures.
    playerScreen.playButton =
        addTransportButton(buttons, r, playerScreen.pauseNormalImage,
                           playerScreen.pausePressedImage, new actionPlay, new actionPlayFade);
    addTransportButton(buttons, r, p.stopNormal, p.stopPressed, new actionStop, new actionStopFade);
    addTransportButton(buttons, r, p.prevNormal, p.prevPressed, new actionPrev, new actionPrevFade);
    addTransportButton(buttons, r, p.nextNormal, p.nextPressed, new actionNext, new actionNextFade);

    auto* scope = new Analyzer(main, "");
    scope->setAlpha(0);
    scope->setColor(vector3(1, 1, 1));
    scope->setPosition(vector2(0.7f, 6.15f));
    scope->setPadding(0);
    scope->setSize(vector2(3.08f, 2.5f));
    scope->setSource(std::make_unique<StreamSampleSource>(trackPlayer.stream()));
    scope->addAction(new actionGUIFade);

    // Pass 4: the closing sequence's end title and credits, hidden until the
    // first quit request.
    auto* endTitle = new Static(root, "");
    playerScreen.endTitle = endTitle;
    endTitle->setColor(colorWhite);
    endTitle->setAlpha(0);
    endTitle->setImage(r, p.endTitle, true);
    endTitle->setFloating();
    endTitle->addAction(new actionEndFade);
    endTitle->hide();

    auto* credits = new Static(endTitle, "");
    playerScreen.credits = credits;
    credits->setColor(colorWhite);
    credits->setAlpha(1);
    credits->setPadding(0);
    credits->setImage(r, p.credits, true);
    credits->setPosition(vector2(8.2f, 12.0f));
    credits->addAction(new actionScroll);
    credits->hide();

    // Pass 5: hand over; the opening waits for startOpening.
    window.setRoot(root);
    return true;
}

void startOpening() {
    playerScreen.introClock.resume();
    trackPlayer.play();
}
