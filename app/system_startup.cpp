#include "app/system_startup.h"

#include "app/build_player_screen.h"
#include "app/closing_sequence.h"
#include "app/player_keys.h"
#include "app/player_media_session.h"
#include "app/track_player.h"
#include "audio/bass.h"
#include "engine/platform/app_window.h"
#include "engine/platform/gl_driver_warm_up.h"
#include "engine/platform/media_controls.h"
#include "engine/platform/message_box.h"
#include "engine/platform/setup_dlg.h"
#include "engine/platform/setup_view.h"
#include "engine/render/picture_decode_ahead.h"
#include "engine/render/render_gl.h"
#include "engine/vfs/archive_entries.h"
#include "engine/vfs/vfs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace keltraWorks;

namespace {

constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;
constexpr float SceneWidth = 16.0f;
constexpr float SceneHeight = 12.0f;
constexpr const char* ArchiveFile = "data.zuo";
constexpr off_t MaxPictureFileBytes = 64 << 20;

// Starts decoding the screen's pictures on a worker while the dialog, the
// window and the GL driver are being set up. The pictures are read the way
// the loader will read them once the archive is mounted: from the archive
// when it opens, else from loose files. Whatever is read here is only a
// guess; the loader takes a result only for the very bytes it reads itself.
void decodePicturesAhead() {
    auto archive = std::make_shared<ArchiveEntries>();
    auto opened = std::make_shared<int>(-1); // -1 not tried yet, 0 no, 1 yes
    PictureDecodeAhead::start(
        playerScreenPictures(),
        [archive, opened](const std::string& name, std::vector<uint8_t>* out) {
            if (*opened < 0) {
                *opened = archive->open(ArchiveFile) ? 1 : 0;
            }
            if (*opened == 1) {
                return archive->read(name, out);
            }
            // Only plain files of a picture's size are read ahead; anything
            // else is left to the loader and its own checks.
            std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(name.c_str(), "rb"),
                                                                  std::fclose);
            struct stat st {};
            if (!file || ::fstat(fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode) ||
                st.st_size <= 0 || st.st_size > MaxPictureFileBytes) {
                return false;
            }
            out->resize(static_cast<size_t>(st.st_size));
            if (std::fread(out->data(), 1, out->size(), file.get()) != out->size()) {
                out->clear();
                return false;
            }
            return true;
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
    SetupDlg dialog(ScreenWidth, ScreenHeight);
    // While the dialog waits for the user, the GL driver is loaded, the music
    // file opened and the pictures are decoded on workers; they start once the dialog is drawn,
    // so that it comes up as fast as without them.
    dialog.onShown = [] {
        GlDriverWarmUp::start();
        TrackPlayer::prepare();
        decodePicturesAhead();
    };
    if (!dialog.run()) {
        GlDriverWarmUp::finish();
        PictureDecodeAhead::clear();
        return dialog.endCode == SetupView::CannotShow ? SetupResult::NoDisplay
                                                       : SetupResult::Cancelled;
    }
    *fullscreen = dialog.fullscreen;
    if (dialog.fullscreen) {
        // The full-screen style is used even when the switch fails: the
        // window then covers the screen borderless in the current mode.
        dialog.applyMode();
    }
    return SetupResult::Ok;
}

bool SystemStartup::createWindow(bool fullscreen) {
    window = std::make_unique<AppWindow>(
        fullscreen ? WindowStyle::FullScreen : WindowStyle::Windowed, ScreenWidth, ScreenHeight,
        0, 0);
    if (!window->handle()) {
        return false;
    }
    window->setFirstQuitHandler(beginClosingSequence);
    window->setKeyHandler(runPlayerKey);
    return true;
}

bool SystemStartup::createRenderer() {
    renderer = std::make_unique<RenderGL>(window->handle(), SceneWidth, SceneHeight);
    // The window's own context now holds the driver the warm-up loaded.
    GlDriverWarmUp::finish();
    return window->setRenderer(renderer.get());
}

void SystemStartup::setTitle(const char* title) { window->setTitle(title); }

bool SystemStartup::initAudio() {
    audioStarted = BASS_Init(-1, 44100, 0, window->handle(), nullptr) != 0;
    return audioStarted;
}

void SystemStartup::reportError(const char* caption, const char* text) {
    std::fprintf(stderr, "glint: %s\n", text);
    showErrorMessage(caption, text);
}

void SystemStartup::mountArchive() { Vfs::mount(ArchiveFile); }

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

void SystemStartup::showWindow() { window->show(); }

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

void SystemStartup::unmountArchive() { Vfs::unmount(); }

void SystemStartup::closeMusic() { trackPlayer.close(); }

void SystemStartup::freeAudio() {
    if (audioStarted) {
        BASS_Free();
        audioStarted = false;
    }
}

void SystemStartup::releaseRenderer() {
    if (renderer) {
        renderer->destroyContext();
        renderer.reset();
    }
}

void SystemStartup::destroyWindow() {
    if (window) {
        window->destroy();
        window.reset();
    }
}
