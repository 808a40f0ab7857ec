// How the two forms of a record box map onto each other, stated apart from
// the code that writes them: the page's form carries data attributes where
// the reference form carries inline script calls, and nothing else differs.
//   data-code="EdNo" data-id="5"  <->  onclick="EditDel('EdNo',5);"   (EdNo, EdCn)
//   data-code="DeNo" data-id="5"  <->  onclick="EditDel('DeNo',5)"    (DeNo, DeCn)
//   data-new="0"                  <->  onclick="Newc(0);"
#pragma once

#include <regex>
#include <string>

namespace korvane::test {

// The reference form of markup in the page's form.
inline std::string ReferenceForm(const std::string& page) {
    static const std::regex edit(R"re(data-code="(EdNo|EdCn)" data-id="([0-9]+)")re");
    static const std::regex remove(R"re(data-code="(DeNo|DeCn)" data-id="([0-9]+)")re");
    static const std::regex add(R"re(data-new="([01])")re");
    std::string out = std::regex_replace(page, edit, "onclick=\"EditDel('$1',$2);\"");
    out = std::regex_replace(out, remove, "onclick=\"EditDel('$1',$2)\"");
    return std::regex_replace(out, add, "onclick=\"Newc($1);\"");
}

}  // namespace korvane::test
