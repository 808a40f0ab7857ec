// All notes as one self-contained HTML page that looks like the list: each
// note's box with its title, date and content as the list shows them (the
// stored texts through the sanitiser and the converters), the pictures the
// converters add embedded as data addresses, and a style sheet of its own
// that also prints well. The page runs no script.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/listrows.h"

namespace korvane {

// The bytes of the picture a page address names ("icons/3.gif"), or empty
// when there is none; the picture is then left out.
using PictureBytes = std::function<std::string(std::string_view address)>;

// The page, as UTF-8, for the notes in the order given.
std::string NotesToHtml(const std::vector<ListRow>& notes, const PictureBytes& pictures);

// "data:<type>;base64,<bytes>" for a picture file named by `address`.
std::string PictureDataAddress(std::string_view address, std::string_view bytes);

}  // namespace korvane
