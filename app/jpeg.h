// JPEG pictures of the program (splash, background) decoded with libjpeg.
#pragma once

#include <QImage>

#include <filesystem>
#include <string>

namespace app {

// The picture, or a null image when the file is missing or not a JPEG picture; `error` tells
// why.
QImage loadJpeg(const std::filesystem::path& file, std::string* error = nullptr);

} // namespace app
