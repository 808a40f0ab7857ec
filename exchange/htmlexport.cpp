#include "exchange/htmlexport.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "render/recordbox.h"

namespace korvane {
namespace {

// The list's colours and the editor's four snippet styles; print keeps the
// boxes whole and drops the page colour.
constexpr std::string_view kStyle = R"(
:root { --page: #eef2f6; --box: #fff; --border: #d3dce6; --ink: #1f2d3d; --muted: #7b8a9c; }
body { margin: 0; padding: 16px; background: var(--page); color: var(--ink);
  font: 13px/1.6 "WenQuanYi Micro Hei", "Noto Sans CJK SC", "Microsoft YaHei", sans-serif;
  overflow-wrap: anywhere; }
main { max-width: 720px; margin: 0 auto; }
h1 { font-size: 16px; margin: 0 0 12px; }
article { background: var(--box); border: 1px solid var(--border); border-radius: 6px;
  padding: 8px 12px; margin: 0 0 10px; break-inside: avoid; }
.t { font-size: 14px; font-weight: bold; }
.dts { color: var(--muted); font-size: 11px; margin: 1px 0 5px; }
.round_body_contain { color: #34465a; line-height: 1.7; }
.round_body_contain img { max-width: 100%; vertical-align: middle; }
.pic { display: inline-block; vertical-align: middle; background: no-repeat center / contain;
  -webkit-print-color-adjust: exact; print-color-adjust: exact; }
.TBlank { color: #1a1a1a; font-weight: bold; }
.TBBl { color: #1a1a1a; font-size: 16px; font-weight: bold; }
.Tred { color: #d23b32; font-weight: bold; }
.TBred { color: #d23b32; font-size: 16px; font-weight: bold; }
@media print { body { background: #fff; padding: 0; } article { border-color: #999; } }
)";

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t v = 0;
        for (size_t k = 0; k < 3; ++k) {
            v = (v << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (size_t k = 0; k < 4; ++k) {
            out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 0x3f] : '=';
        }
    }
    return out;
}

std::string_view PictureType(std::string_view address) {
    const size_t dot = address.rfind('.');
    const std::string ext =
        LowerAscii(dot == std::string_view::npos ? "" : address.substr(dot + 1));
    if (ext == "gif") return "image/gif";
    if (ext == "png") return "image/png";
    if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
    if (ext == "bmp") return "image/bmp";
    return "application/octet-stream";
}

// A picture's size in pixels from its GIF or PNG header; nothing for others.
std::optional<std::pair<int, int>> PictureSize(std::string_view bytes) {
    const auto at = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 10 && bytes.substr(0, 4) == "GIF8") {
        return std::pair{at(6) | at(7) << 8, at(8) | at(9) << 8};
    }
    if (bytes.size() >= 24 && bytes.substr(1, 3) == "PNG" && bytes.substr(12, 4) == "IHDR") {
        return std::pair{at(18) << 8 | at(19), at(22) << 8 | at(23)};
    }
    return std::nullopt;
}

// The program's own pictures of the notes, each embedded once: a picture of
// known size becomes an element of a class whose style holds the picture,
// any other keeps its tag with the picture's data address.
class Pictures {
  public:
    explicit Pictures(const PictureBytes& bytes) : bytes_(bytes) {}

    // `markup` with every <img src="..."> of the program replaced. The
    // sanitiser lets no stored text make a src attribute, so every one met
    // here is the program's own.
    std::string Embed(const std::string& markup) {
        static constexpr std::string_view kImg = "<img src=\"";
        std::string out;
        size_t at = 0;
        for (size_t found; (found = markup.find(kImg, at)) != std::string::npos;) {
            const size_t start = found + kImg.size();
            const size_t quote = markup.find('"', start);
            const size_t end = markup.find('>', start);
            if (quote == std::string::npos || end == std::string::npos) break;
            out.append(markup, at, found - at);
            out += Replacement(markup.substr(start, quote - start),
                               markup.substr(found, end + 1 - found));
            at = end + 1;
        }
        out.append(markup, at, std::string::npos);
        return out;
    }

    // The style rules of the pictures met.
    const std::string& Style() const { return style_; }

  private:
    const std::string& Replacement(const std::string& address, const std::string& tag) {
        auto known = made_.find(address);
        if (known != made_.end()) return known->second;
        const std::string bytes = bytes_ ? bytes_(address) : std::string();
        const std::optional<std::pair<int, int>> size = PictureSize(bytes);
        std::string made;
        if (bytes.empty()) {
            made = tag;
        } else if (!size) {
            made = "<img src=\"" + PictureDataAddress(address, bytes) + "\">";
        } else {
            const std::string name = "p" + std::to_string(made_.size());
            style_ += "." + name + "{width:" + std::to_string(size->first) +
                      "px;height:" + std::to_string(size->second) + "px;background-image:url(" +
                      PictureDataAddress(address, bytes) + ")}\n";
            made = "<i class=\"pic " + name + "\"></i>";
        }
        return made_.emplace(address, std::move(made)).first->second;
    }

    const PictureBytes& bytes_;
    std::map<std::string, std::string, std::less<>> made_;
    std::string style_;
};

}  // namespace

std::string PictureDataAddress(std::string_view address, std::string_view bytes) {
    return "data:" + std::string(PictureType(address)) + ";base64," + Base64(bytes);
}

std::string NotesToHtml(const std::vector<ListRow>& notes, const PictureBytes& pictures) {
    Pictures pictureSet(pictures);
    std::string page =
        Cp("<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
           "img-src data:; style-src 'unsafe-inline'\">"
           "<title>Korvane 记事</title><style>");
    page += kStyle;
    // Converted piece by piece, each ending in ASCII, so no character spans
    // two pieces and the page is never held in both code pages at once.
    std::string body =
        platform::FromCodePage(Cp("</style></head><body><main><h1>Korvane 记事（共 ") +
                               std::to_string(notes.size()) + Cp(" 条）</h1>\n"));
    for (const ListRow& row : notes) {
        const ShownRecord shown = ShowRecord(0, row);
        body += platform::FromCodePage("<article><div class=\"t\">" + shown.title +
                                       "</div><div class=\"dts\">" + shown.detail +
                                       "</div><div class=\"round_body_contain\">" +
                                       pictureSet.Embed(shown.content) + "</div></article>\n");
    }
    body += "</main></body></html>\n";
    std::string html = platform::FromCodePage(page);
    html += pictureSet.Style();
    html += body;
    return html;
}

}  // namespace korvane
