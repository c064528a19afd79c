// The start-up steps on the real platform: the FLTK setup dialog, the SDL
// window, its GL context and the OpenGL renderer, the audio library, the
// archive "data.zuo", "glint.mp3" and the player screen. Owns the window, the
// context and the renderer it creates until their release steps (or its
// destruction). Failures that the
// user should know of get one line on stderr, prefixed "glint: ".
// Single-threaded: the main thread.
#pragma once

#include "app/startup.h"

#include <memory>

namespace keltraWorks {
class AppWindow;
class GlContext;
class RenderGL;
class SetupDlg;
} // namespace keltraWorks

class SystemStartup : public StartupSteps {
  public:
    SystemStartup();
    ~SystemStartup() override;

    SetupResult runSetup(bool* fullscreen) override;
    bool createWindow(bool fullscreen) override;
    bool createRenderer() override;
    void setTitle(const char* title) override;
    bool initAudio() override;
    void reportError(const char* caption, const char* text) override;
    void mountArchive() override;
    void openMusic() override;
    bool buildScreen() override;
    void showWindow() override;
    void settleDisplay() override;
    void startOpening() override;
    int runLoop() override;
    void unmountArchive() override;
    void closeMusic() override;
    void freeAudio() override;
    void releaseRenderer() override;
    void destroyWindow() override;

  private:
    // Kept from the dialog until the display has settled.
    std::unique_ptr<keltraWorks::SetupDlg> setup;
    std::unique_ptr<keltraWorks::AppWindow> window;
    std::unique_ptr<keltraWorks::GlContext> context;
    std::unique_ptr<keltraWorks::RenderGL> renderer;
    bool audioStarted = false;
};
