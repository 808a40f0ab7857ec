// The exported notes page over hostile notes: no script, no handler, no
// address other than the embedded pictures, every picture embedded once.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "exchange/htmlexport.h"
#include "support/hostile.h"

namespace korvane {
namespace {

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The first attribute of any tag whose name starts with "on", read as a
// browser reads tags: quoted values are skipped whole.
std::string Handler(const std::string& page) {
    for (size_t at = page.find('<'); at != std::string::npos; at = page.find('<', at + 1)) {
        size_t i = at + 1;
        while (i < page.size() && page[i] != '>' &&
               !std::isspace(static_cast<unsigned char>(page[i])))
            ++i;
        while (i < page.size() && page[i] != '>') {
            while (i < page.size() && std::isspace(static_cast<unsigned char>(page[i]))) ++i;
            const size_t name = i;
            while (i < page.size() && page[i] != '=' && page[i] != '>' &&
                   !std::isspace(static_cast<unsigned char>(page[i])))
                ++i;
            const std::string attribute = page.substr(name, i - name);
            if (attribute.size() > 2 && std::tolower(attribute[0]) == 'o' &&
                std::tolower(attribute[1]) == 'n')
                return attribute;
            if (i < page.size() && page[i] == '=') {
                ++i;
                const char quote = page[i];
                if (quote == '"' || quote == '\'') {
                    i = page.find(quote, i + 1);
                    if (i == std::string::npos) return "unclosed quote";
                    ++i;
                } else {
                    while (i < page.size() && page[i] != '>' &&
                           !std::isspace(static_cast<unsigned char>(page[i])))
                        ++i;
                }
            }
        }
        at = i;
    }
    return {};
}

TEST(NotesPage, HostileNotesRunNothingAndEachPictureIsEmbeddedOnce) {
    std::vector<ListRow> notes;
    for (const std::string& text : test::HostileTexts("hostile_notes.txt")) {
        notes.push_back({"2026-12-08 10:00:00", text, text + "{EM3EM}{EM3EM}{EM7EM}", "1", ""});
    }
    std::mt19937 random(11);
    for (int i = 0; i < 300; ++i) {
        const std::string mix = test::RandomHostileMix(random).text;
        notes.push_back({"d", mix, mix, "2", ""});
    }
    std::set<std::string> asked;
    const std::string page = NotesToHtml(notes, [&asked](std::string_view address) {
        asked.insert(std::string(address));
        // A GIF header of 19 x 19 pixels for the emoticons; nothing else exists.
        return address.substr(0, 6) == "icons/" ? std::string("GIF89a\x13\0\x13\0", 10)
                                                : std::string();
    });
    EXPECT_EQ(Count(page, "data:image/gif"), 2u);  // icons/3.gif and icons/7.gif, once each
    EXPECT_EQ(Count(page, "width:19px;height:19px"), 2u);
    EXPECT_EQ(Count(page, "<article>"), notes.size());
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(Handler(page), "");
    EXPECT_FALSE(std::regex_search(page, std::regex("<img[^>]*src=\"(?!data:)[^\"]*\"")) &&
                 asked.size() == 2u);
    EXPECT_NE(page.find("default-src 'none'"), std::string::npos);
}

}  // namespace
}  // namespace korvane
