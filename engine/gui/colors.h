// The engine's colour constants: RGB, each component 0..1, single precision.
// Widgets use them as defaults and the application for its tints.
#pragma once

#include "engine/core/vector.h"

namespace keltraWorks {

inline const vector3 colorWhite(1.0f, 1.0f, 1.0f);
inline const vector3 colorBlack(0.0f, 0.0f, 0.0f);
inline const vector3 colorGrey(0.792f, 0.792f, 0.792f);
inline const vector3 colorLightGrey(0.901f, 0.901f, 0.901f);
inline const vector3 colorDarkGrey(0.431f, 0.431f, 0.431f);
inline const vector3 colorYellow(1.0f, 1.0f, 0.0f);

} // namespace keltraWorks
