// PNG and JPEG through stb_image_write.
#include "tools/host/picture_file.h"

#include <cctype>
#include <filesystem>

#include "tools/host/host_error.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_STATIC
#include <stb/stb_image_write.h>

namespace vardelline::host {

PictureFormat pictureFormatFor(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".png") return PictureFormat::Png;
    if (extension == ".jpg" || extension == ".jpeg") return PictureFormat::Jpeg;
    throw HostError(path + ": unknown picture extension '" + extension + "' (known: .png, .jpg, .jpeg)");
}

void writePicture(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
    constexpr int kJpegQuality = 95;
    const bool written = pictureFormatFor(path) == PictureFormat::Png
                             ? stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3)
                             : stbi_write_jpg(path.c_str(), width, height, 3, rgb.data(), kJpegQuality);
    if (!written) throw HostError("cannot write '" + path + "'");
}

}  // namespace vardelline::host
