#include "engine/platform/quit_request.h"

namespace keltraWorks {

namespace {

bool pending = false;
int pendingCode = 0;

} // namespace

void postQuitMessage(int exitCode) {
    pending = true;
    pendingCode = exitCode;
}

bool quitMessagePending() {
    return pending;
}

bool takeQuitMessage(int* exitCode) {
    if (!pending) {
        return false;
    }
    pending = false;
    if (exitCode) {
        *exitCode = pendingCode;
    }
    return true;
}

} // namespace keltraWorks
