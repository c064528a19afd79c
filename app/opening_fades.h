// The paint actions of the opening sequence. Each recomputes its widget's
// alpha (and, for the logo, its blend factors and the main screen's
// visibility) from playerScreen.introClock on every frame it is drawn; none
// keeps state. Times are seconds on the intro clock:
//   logo       0-1 fades in; from 1 multiplied onto the title (factors 4, 7);
//              after 10 it shows the main screen and fades out (10-11)
//   title      fades in 1-5, full until 8, fades out 8-10
//   main       fades in 10-13; after 11 hides the title and the logo
//   GUI parts  labels, track name, digits, colon, oscilloscope: 11-13
//   buttons    close and play 12.5-13.5, stop 13-14, previous 13.5-14.5,
//              next 14-15 (tint, pressed and hover alpha together)
// Owned by the widget they are attached to.
#pragma once

#include "engine/gui/action_paint.h"

class actionTitleFade : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};

class actionLogoFade : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};

class actionMainFade : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};

class actionGUIFade : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};

class actionCloseFade : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};

class actionPlayFade : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};

class actionStopFade : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};

class actionPrevFade : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};

class actionNextFade : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};
