#include "app/system_startup.h"

#include "app/build_player_screen.h"
#include "app/closing_sequence.h"
#include "app/player_keys.h"
#include "app/player_media_session.h"
#include "app/player_windows.h"
#include "app/track_player.h"
#include "audio/bass.h"
#include "engine/platform/app_window.h"
#include "engine/platform/gl_context.h"
#include "engine/platform/gl_driver_warm_up.h"
#include "engine/platform/media_controls.h"
#include "engine/platform/message_box.h"
#include "engine/platform/setup_dlg.h"
#include "engine/platform/setup_view.h"
#include "engine/render/picture_decode_ahead.h"
#include "engine/render/render_gl.h"
#include "engine/vfs/resource_reader.h"
#include "engine/vfs/vfs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace keltraWorks;
using namespace playerWindows;

namespace {

constexpr const char* ArchiveFile = "data.zuo";

// Starts decoding the screen's pictures on a worker while the dialog, the
// window and the GL driver are being set up. The worker reads them the way
// the loader will once the archive is mounted, with a reader of its own (Vfs
// is the main thread's): from the archive when it opens, else loose files.
// Whatever is read here is only a guess; the loader takes a result only for
// the very bytes it reads itself.
void decodePicturesAhead() {
    struct Source {
        ResourceReader reader;
        bool tried = false; // the archive is opened on the worker, once
    };
    auto source = std::make_shared<Source>();
    PictureDecodeAhead::start(
        playerScreenPictures(), [source](const std::string& name, std::vector<uint8_t>* out) {
            if (!source->tried) {
                source->tried = true;
                source->reader.openArchive(ArchiveFile);
            }
            return source->reader.readResource(name, out) == ResourceStatus::Ok;
        });
}

} // namespace

SystemStartup::SystemStartup() = default;

SystemStartup::~SystemStartup() {
    PictureDecodeAhead::clear();
    GlDriverWarmUp::finish();
    releaseRenderer();
    destroyWindow();
}

StartupSteps::SetupResult SystemStartup::runSetup(bool* fullscreen) {
    setup = std::make_unique<SetupDlg>(ScreenWidth, ScreenHeight, SetupTitle);
    // While the dialog waits for the user, the GL driver is loaded, the music
    // file opened and the pictures are decoded on workers; they start once the dialog is drawn,
    // so that it comes up as fast as without them.
    setup->onShown = [] {
        GlDriverWarmUp::start();
        TrackPlayer::prepare();
        decodePicturesAhead();
    };
    if (!setup->run()) {
        GlDriverWarmUp::finish();
        PictureDecodeAhead::clear();
        const bool shown = setup->endCode != SetupView::CannotShow;
        setup.reset();
        return shown ? SetupResult::Cancelled : SetupResult::NoDisplay;
    }
    *fullscreen = setup->fullscreen;
    if (setup->fullscreen) {
        // The full-screen style is used even when the mode cannot be set:
        // the window then covers the screen borderless in the current mode.
        setup->applyMode();
    }
    return SetupResult::Ok;
}

bool SystemStartup::createWindow(bool fullscreen) {
    window =
        std::make_unique<AppWindow>(fullscreen ? WindowStyle::FullScreen : WindowStyle::Windowed,
                                    ScreenWidth, ScreenHeight, 0, 0);
    if (!window->handle()) {
        return false;
    }
    window->setFirstQuitHandler(beginClosingSequence);
    window->setKeyHandler(runPlayerKey);
    return true;
}

bool SystemStartup::createRenderer() {
    context = std::make_unique<GlContext>(window->handle());
    // The window's own context now holds the driver the warm-up loaded (or
    // could not be made, and the warm-up is of no further use).
    GlDriverWarmUp::finish();
    if (!context->isCurrent()) {
        return false;
    }
    // The scene is made for the screen's size; a drawable of another size
    // shows it scaled to fit.
    renderer = std::make_unique<RenderGL>(ScreenWidth, ScreenHeight, SceneWidth, SceneHeight);
    int32_t width = 0, height = 0;
    context->drawableSize(&width, &height);
    renderer->setDrawableSize(width, height);
    return window->setRenderer(renderer.get());
}

void SystemStartup::setTitle(const char* title) {
    window->setTitle(title);
}

bool SystemStartup::initAudio() {
    audioStarted = BASS_Init(-1, 44100, 0, window->handle(), nullptr) != 0;
    return audioStarted;
}

void SystemStartup::reportError(const char* caption, const char* text) {
    std::fprintf(stderr, "glint: %s\n", text);
    showErrorMessage(caption, text);
}

void SystemStartup::mountArchive() {
    Vfs::mount(ArchiveFile);
}

void SystemStartup::openMusic() {
    if (trackPlayer.open()) {
        return;
    }
    // The player runs silent; say why once.
    std::FILE* probe = std::fopen(TrackPlayer::MusicFile, "rb");
    if (!probe) {
        std::fprintf(stderr, "glint: audio: cannot open \"%s\": %s; playing without music\n",
                     TrackPlayer::MusicFile, std::strerror(errno));
        return;
    }
    std::fclose(probe);
    std::fprintf(stderr, "glint: audio: \"%s\" is not a playable MP3 file; playing without music\n",
                 TrackPlayer::MusicFile);
}

bool SystemStartup::buildScreen() {
    const bool built = buildPlayerScreen(*window);
    PictureDecodeAhead::clear(); // anything not taken is of no further use
    return built;
}

void SystemStartup::showWindow() {
    window->show();
}

void SystemStartup::settleDisplay() {
    if (setup) {
        setup->settleMode();
        setup.reset();
    }
}

void SystemStartup::startOpening() {
    ::startOpening();
}

int SystemStartup::runLoop() {
    // The desktop's media controls live as long as the loop: they go with
    // the window's last frame, before anything is released.
    PlayerMediaSession session(*window);
    std::unique_ptr<MediaControls> controls = startMediaControls(session);
    if (controls) {
        window->setTurnHandler([&controls] { controls->process(); });
    }
    const int exitCode = window->run();
    window->setTurnHandler(nullptr);
    return exitCode;
}

void SystemStartup::unmountArchive() {
    Vfs::unmount();
}

void SystemStartup::closeMusic() {
    trackPlayer.close();
}

void SystemStartup::freeAudio() {
    if (audioStarted) {
        BASS_Free();
        audioStarted = false;
    }
}

// The renderer lets go of its textures while the context is still current;
// only then is the context deleted.
void SystemStartup::releaseRenderer() {
    if (renderer) {
        renderer->destroyContext();
        renderer.reset();
    }
    context.reset();
}

void SystemStartup::destroyWindow() {
    if (window) {
        window->destroy();
        window.reset();
    }
}
