// Code page conversion through iconv.
#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace korvane::platform {
namespace {

// One iconv descriptor, closed when the object goes.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert from ") + from);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; an invalid or incomplete sequence is skipped one
    // byte at a time and replaced by `replacement`.
    std::string Run(std::string_view in, std::string_view replacement) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.reserve(in.size() * 3 / 2 + 8);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buffer[4096];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            if (rc != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            out.append(replacement);  // EILSEQ or EINVAL: drop one byte and go on
            ++src;
            --srcLeft;
        }
        return out;
    }

  private:
    iconv_t cd_;
};

}  // namespace

std::string ToCodePage(std::string_view utf8) {
    thread_local Converter converter("GB18030", "UTF-8");
    return converter.Run(utf8, "?");
}

std::string FromCodePage(std::string_view bytes) {
    thread_local Converter converter("UTF-8", "GB18030");
    return converter.Run(bytes, "\xEF\xBF\xBD");
}

bool FitsGbk(std::string_view utf8) {
    // GB18030 writes every character outside GBK as a four-byte sequence whose
    // second byte is a digit; GBK's own two-byte forms never have one there.
    const std::string bytes = ToCodePage(utf8);
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
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

std::string NativePath(std::string_view codePagePath) {
    return FromCodePage(codePagePath);
}

}  // namespace korvane::platform
