// The setup dialog drawn with FLTK 1.3: 375 x 278 pixels (the dialog's layout
// scaled at 1.5 px per horizontal and 1.625 px per vertical layout unit),
// centred on the screen and modal. Enter is OK (the default button), Escape and
// the close box cancel, Tab walks the controls. An end signal
// (end_signals.h) cancels it too.
//
// run() opens its own X connection, builds the window, runs FLTK's loop until
// the dialog ends, then hides and deletes the window, flushes and closes the
// connection, so nothing of the dialog is left on the display when SDL opens
// the main window. FLTK cannot be brought up again in the same process, so a
// second run() returns CannotShow. The widgets exist only during run(); the
// setters are meant for the dialog's initDialog handler. Single-threaded.
#pragma once

#include "engine/platform/setup_view.h"

#include <memory>
#include <string>

class Fl_Widget;

namespace keltraWorks {

class FltkSetupView : public SetupView {
  public:
    // `caption` is the window's title; the view keeps a copy.
    explicit FltkSetupView(const char* caption);
    ~FltkSetupView() override;
    FltkSetupView(const FltkSetupView&) = delete;
    FltkSetupView& operator=(const FltkSetupView&) = delete;

    int run(SetupDlg& dialog) override;

    void addResolutionLine(const std::string& text) override;
    void selectResolution(int index) override;
    int selectedResolution() const override;
    void addRateLine(const std::string& text) override;
    void clearRateLines() override;
    void selectRate(int index) override;
    int selectedRate() const override;
    void setWindowed(bool ticked) override;
    bool windowed() const override;
    void setChoicesEnabled(bool enabled) override;

  private:
    struct Widgets;

    static void onOk(Fl_Widget* widget, void* view);
    static void onCancel(Fl_Widget* widget, void* view);
    static void onResolution(Fl_Widget* widget, void* view);
    static void onEndSignal(int fd, void* view);
    void finish(int code);

    std::string caption;
    std::unique_ptr<Widgets> widgets;
    SetupDlg* dialog = nullptr;
    int endCode = 0;
};

} // namespace keltraWorks
