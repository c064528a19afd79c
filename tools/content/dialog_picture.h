// The setup dialog's picture: a 351 x 150 banner with the wordmark over the
// night sea, reduced to 256 colours and written out as a C++ header that the
// dialog compiles in. The header holds glintDialogPictureWidth and -Height,
// glintDialogPicturePalette (256 x RGB) and glintDialogPictureIndices (rows
// top first), all inline so any number of sources may include it.
#pragma once

#include "tools/content/palette_quantizer.h"

#include <string>

namespace keltraWorks {

constexpr int DialogPictureWidth = 351;
constexpr int DialogPictureHeight = 150;

// Draws the banner and reduces it to 256 colours.
IndexedImage drawDialogPicture();

// The header's text for an indexed picture.
std::string dialogPictureHeader(const IndexedImage& picture);

// Draws the picture and writes the header to `path`, creating its folder.
// False with `error` set on failure.
bool writeDialogPictureHeader(const std::string& path, std::string* error);

} // namespace keltraWorks
