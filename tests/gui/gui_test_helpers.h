// Small helpers shared by the widget tests: actions that record what reached
// them, and objects that report their own destruction and drawing.
#pragma once

#include "engine/gui/action_base.h"
#include "engine/gui/event_flags.h"
#include "engine/gui/object.h"

#include <string>
#include <vector>

namespace glintTest {

// Appends "<tag>:<kind>" to a shared log each time it runs, and counts its
// own destruction.
class LoggingAction : public keltraWorks::actionBase {
  public:
    LoggingAction(int kind, std::string tag, std::vector<std::string>* log,
                  int* destroyed = nullptr)
        : kind(kind), tag(std::move(tag)), log(log), destroyed(destroyed) {}
    ~LoggingAction() override {
        if (destroyed != nullptr) {
            ++*destroyed;
        }
    }
    int getKind() const override { return kind; }
    void execute(keltraWorks::Object*) override { note(); }
    void execute(keltraWorks::Object*, vector2) override { note(); }
    void execute(keltraWorks::Object*, vector2, int) override { note(); }
    void execute(keltraWorks::Object*, keltraWorks::Renderer*) override { note(); }

  private:
    void note() { log->push_back(tag + ":" + std::to_string(kind)); }

    int kind;
    std::string tag;
    std::vector<std::string>* log;
    int* destroyed;
};

// Clears the process-wide event flags around each test.
struct EventFlagsReset {
    EventFlagsReset() { clear(); }
    ~EventFlagsReset() { clear(); }
    static void clear() {
        keltraWorks::pressTaken = false;
        keltraWorks::releaseTaken = false;
        keltraWorks::popupVisible = false;
    }
};

} // namespace glintTest
