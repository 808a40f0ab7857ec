// Whether a text fits GBK, the same on every system: it is judged from the
// text's code-page bytes, which the system's converter makes.
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace korvane::platform {

bool FitsGbk(std::string_view utf8) {
    // GB18030 writes every character outside GBK as a four-byte sequence whose
    // second byte is a digit; GBK's own two-byte forms never have one there.
    // The euro sign (0x80) is GBK's one single byte above ASCII.
    constexpr unsigned char kEuroByte = 0x80;
    const std::string bytes = ToCodePage(utf8);
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80 || lead == kEuroByte) {
            ++i;
            continue;
        }
        if (i + 1 >= bytes.size()) return false;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second >= 0x30 && second <= 0x39) return false;
        i += 2;
    }
    return true;
}

}  // namespace korvane::platform
