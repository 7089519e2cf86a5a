// Writing RGB pictures as PNG or JPEG, chosen by the file's extension.
#pragma once

#include <string>
#include <vector>

namespace vardelline::host {

enum class PictureFormat { Png, Jpeg };

// .png, .jpg or .jpeg in any case; throws HostError naming the path otherwise.
PictureFormat pictureFormatFor(const std::string& path);

// rgb holds width * height pixels of three bytes, row by row.
void writePicture(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);

}  // namespace vardelline::host
