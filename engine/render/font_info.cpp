#include "engine/render/font_info.h"

namespace keltraWorks {

FontInfo::FontInfo(const std::string& faceName, int32_t height, bool bold, bool italic,
                   bool underline)
    : faceName(faceName), height(height), bold(bold), italic(italic), underline(underline) {}

} // namespace keltraWorks
