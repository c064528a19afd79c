#include "engine/platform/fltk_setup_view.h"

#include "engine/platform/end_signals.h"
#include "engine/platform/setup_dlg.h"

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include "dialog_picture.h"

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace keltraWorks {

namespace {

// The layout is kept in dialog units, as it was designed, and scaled here.
constexpr double PixelsPerUnitX = 1.5;
constexpr double PixelsPerUnitY = 1.625;

int px(int unitsX) {
    return static_cast<int>(unitsX * PixelsPerUnitX + 0.5);
}
int py(int unitsY) {
    return static_cast<int>(unitsY * PixelsPerUnitY + 0.5);
}

constexpr int DialogWidthUnits = 250;
constexpr int DialogHeightUnits = 171;
// A one-line drop-down box is as tall as its text line plus its frame; the
// layout's height for the box includes the opened list.
constexpr int ChoiceHeight = 22;
constexpr int FontSize = 11;

// FLTK keeps its connection in globals; once closed it cannot be reopened.
bool displayUsedUp = false;

} // namespace

struct FltkSetupView::Widgets {
    Fl_Window* window = nullptr;
    Fl_Choice* resolution = nullptr;
    Fl_Choice* rate = nullptr;
    Fl_Check_Button* windowed = nullptr;
    std::vector<unsigned char> pixels;
    std::unique_ptr<Fl_RGB_Image> picture;
};

FltkSetupView::FltkSetupView(const char* caption) : caption(caption) {}

FltkSetupView::~FltkSetupView() = default;

namespace {

Fl_Box* addLabel(int x, int y, int w, int h, const char* text) {
    auto* box = new Fl_Box(px(x), py(y), px(w), py(h), text);
    box->box(FL_NO_BOX);
    box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    box->labelsize(FontSize);
    return box;
}

// A frame with its caption sitting on the top line, as a group box looks.
void addGroupFrame(int x, int y, int w, int h, const char* text) {
    const int captionHeight = FontSize + 2;
    auto* frame = new Fl_Box(px(x), py(y) + captionHeight / 2, px(w), py(h) - captionHeight / 2);
    frame->box(FL_ENGRAVED_FRAME);
    fl_font(FL_HELVETICA, FontSize);
    const int captionWidth = static_cast<int>(fl_width(text)) + 6;
    auto* caption = new Fl_Box(px(x) + 6, py(y), captionWidth, captionHeight, text);
    caption->box(FL_FLAT_BOX);
    caption->labelsize(FontSize);
}

std::vector<unsigned char> expandPicture() {
    std::vector<unsigned char> rgb(static_cast<size_t>(glintDialogPictureWidth) *
                                   glintDialogPictureHeight * 3);
    for (size_t i = 0; i < static_cast<size_t>(glintDialogPictureWidth) * glintDialogPictureHeight;
         ++i) {
        const unsigned index = glintDialogPictureIndices[i];
        rgb[i * 3 + 0] = glintDialogPicturePalette[index * 3 + 0];
        rgb[i * 3 + 1] = glintDialogPicturePalette[index * 3 + 1];
        rgb[i * 3 + 2] = glintDialogPicturePalette[index * 3 + 2];
    }
    return rgb;
}

} // namespace

int FltkSetupView::run(SetupDlg& setup) {
    if (displayUsedUp) {
        std::fprintf(stderr, "glint: platform: the setup dialog can be shown only once\n");
        return CannotShow;
    }
    // FLTK ends the process when it cannot open the display itself, so the
    // connection is opened here, where a failure can be reported and returned.
    // A busy X server may refuse a connection for a moment; try a few times.
    Display* display = nullptr;
    for (int attempt = 0; attempt < 5 && !display; ++attempt) {
        if (attempt > 0) {
            usleep(20000u * static_cast<unsigned>(attempt));
        }
        display = XOpenDisplay(nullptr);
    }
    if (!display) {
        std::fprintf(stderr, "glint: platform: cannot open the display \"%s\"\n",
                     XDisplayName(nullptr));
        return CannotShow;
    }
    fl_open_display(display);
    displayUsedUp = true;

    widgets.reset(new Widgets);
    dialog = &setup;
    endCode = SetupDlg::EndCancel;

    const int width = px(DialogWidthUnits);
    const int height = py(DialogHeightUnits);
    int screenX, screenY, screenW, screenH;
    Fl::screen_xywh(screenX, screenY, screenW, screenH, 0);
    auto* window = new Fl_Window(screenX + (screenW - width) / 2, screenY + (screenH - height) / 2,
                                 width, height, caption.c_str());
    widgets->window = window;
    // Escape and the close box both call the window's callback.
    window->callback(onCancel, this);

    // Created in the tab order: the buttons first, then the choices.
    auto* ok = new Fl_Return_Button(px(193), py(106), px(50), py(14), "OK");
    ok->labelsize(FontSize);
    ok->callback(onOk, this);
    auto* cancel = new Fl_Button(px(193), py(123), px(50), py(14), "Cancel");
    cancel->labelsize(FontSize);
    cancel->callback(onCancel, this);

    addGroupFrame(7, 103, 180, 40, "Video mode");
    widgets->resolution = new Fl_Choice(px(14), py(114), px(118), ChoiceHeight);
    widgets->resolution->callback(onResolution, this);
    widgets->rate = new Fl_Choice(px(133), py(114), px(48), ChoiceHeight);
    for (Fl_Choice* choice : {widgets->resolution, widgets->rate}) {
        // One size down, so the longest line ("Not supported by hardware!")
        // fits the box the layout gives it.
        choice->textsize(FontSize - 1);
        choice->labelsize(FontSize);
    }
    widgets->windowed = new Fl_Check_Button(px(14), py(130), px(63) + 8, py(10), "Run windowed");
    widgets->windowed->labelsize(FontSize);

    addLabel(57, 148, 136, 8, "(c) 2026 the glint makers");
    addLabel(76, 156, 96, 8, "glint " GLINT_VERSION);

    // The picture sits inside a one-pixel sunken frame.
    widgets->pixels = expandPicture();
    widgets->picture.reset(new Fl_RGB_Image(widgets->pixels.data(), glintDialogPictureWidth,
                                            glintDialogPictureHeight, 3));
    auto* picture =
        new Fl_Box(px(7) - 1, py(7) - 1, glintDialogPictureWidth + 2, glintDialogPictureHeight + 2);
    picture->box(FL_THIN_DOWN_FRAME);
    picture->image(widgets->picture.get());

    window->end();
    window->set_modal();
    setup.initDialog(*this);

    window->show();
    // Keyboard focus starts on the default button, as the first control in
    // the tab order; without this a desktop with no window manager gives no
    // widget the focus and Tab would go nowhere.
    ok->take_focus();
    // An end signal cancels the dialog at once, whatever it waits for.
    const int endFd = endSignalFd();
    if (endFd >= 0) {
        Fl::add_fd(endFd, FL_READ, onEndSignal, this);
    }
    // Once the dialog has been drawn the owner may start work of its own;
    // until then the wait is short, so that moment is not missed when no
    // further event comes.
    bool announced = false;
    while (window->shown()) {
        Fl::wait(announced ? 1e20 : 0.02);
        if (!announced && window->shown() && window->visible() && window->damage() == 0) {
            announced = true;
            setup.dialogShown();
        }
    }

    if (endFd >= 0) {
        Fl::remove_fd(endFd);
    }
    // Take the dialog off the display completely before anyone else draws:
    // delete the window, let FLTK finish its pending work, make sure the
    // server has done everything asked, then let go of the connection.
    window->hide();
    delete window;
    widgets.reset();
    Fl::check();
    Fl::flush();
    XSync(fl_display, False);
    fl_close_display();
    dialog = nullptr;
    return endCode;
}

void FltkSetupView::onOk(Fl_Widget*, void* data) {
    auto* view = static_cast<FltkSetupView*>(data);
    view->finish(view->dialog->commandOk(*view));
}

void FltkSetupView::onCancel(Fl_Widget*, void* data) {
    auto* view = static_cast<FltkSetupView*>(data);
    view->finish(view->dialog->commandCancel());
}

void FltkSetupView::onResolution(Fl_Widget*, void* data) {
    auto* view = static_cast<FltkSetupView*>(data);
    view->dialog->resolutionChanged(*view);
}

void FltkSetupView::onEndSignal(int, void* data) {
    auto* view = static_cast<FltkSetupView*>(data);
    if (view->widgets && view->widgets->window->shown()) {
        view->finish(view->dialog->commandCancel());
    }
}

void FltkSetupView::finish(int code) {
    endCode = code;
    widgets->window->hide();
}

void FltkSetupView::addResolutionLine(const std::string& text) {
    widgets->resolution->add(text.c_str());
}

void FltkSetupView::selectResolution(int index) {
    widgets->resolution->value(index);
}

int FltkSetupView::selectedResolution() const {
    return widgets->resolution->value();
}

void FltkSetupView::addRateLine(const std::string& text) {
    widgets->rate->add(text.c_str());
}

void FltkSetupView::clearRateLines() {
    widgets->rate->clear();
    widgets->rate->redraw();
}

void FltkSetupView::selectRate(int index) {
    widgets->rate->value(index);
}

int FltkSetupView::selectedRate() const {
    return widgets->rate->value();
}

void FltkSetupView::setWindowed(bool ticked) {
    widgets->windowed->value(ticked ? 1 : 0);
}

bool FltkSetupView::windowed() const {
    return widgets->windowed->value() != 0;
}

void FltkSetupView::setChoicesEnabled(bool enabled) {
    for (Fl_Widget* control :
         std::initializer_list<Fl_Widget*>{widgets->resolution, widgets->rate, widgets->windowed}) {
        if (enabled) {
            control->activate();
        } else {
            control->deactivate();
        }
    }
}

} // namespace keltraWorks
