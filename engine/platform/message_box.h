// A modal error message box with no parent window, for the failures start-up
// must tell the user about. Works before and after the main window exists;
// false when it could not be shown (no display). The caller writes its own
// stderr line as well. Single-threaded: the main thread only.
#pragma once

#include <string>

namespace keltraWorks {

bool showErrorMessage(const std::string& caption, const std::string& text);

} // namespace keltraWorks
