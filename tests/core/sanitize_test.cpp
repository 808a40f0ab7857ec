// The display-time sanitiser: the program's own snippets pass unchanged, kept
// tags are rebuilt, everything else shows as typed, every tag is closed, and
// hostile texts neither run script nor reshape the page.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "render/sanitize.h"
#include "support/markup_check.h"

namespace korvane {
namespace {

// What the page reads back as text from sanitised markup holding no tag.
std::string Unescaped(const std::string& html) {
    return ReplaceAll(ReplaceAll(ReplaceAll(html, "&lt;", "<"), "&gt;", ">"), "&amp;", "&");
}

// The checks every output must pass, with the input in the message.
void ExpectSafe(const std::string& in) {
    const std::string out = SanitizeMarkup(in);
    EXPECT_EQ(test::SanitizedMarkupFault(out), "") << "input: " << in << "\noutput: " << out;
}

// Texts that hold no kept tag must come out wholly as text, every byte shown.
void ExpectShownAsTyped(const std::string& in) {
    const std::string out = SanitizeMarkup(in);
    EXPECT_EQ(out.find('<'), std::string::npos) << "input: " << in << "\noutput: " << out;
    EXPECT_EQ(Unescaped(out), in) << "output: " << out;
    ExpectSafe(in);
}

TEST(SanitizeMarkup, TheEditorsSnippetsPassUnchanged) {
    const std::string text = Cp("修改为你要的文字");
    for (const char* cls : {"TBlank", "TBBl", "Tred", "TBred"}) {
        const std::string snippet = "<span class=\"" + std::string(cls) + "\">" + text + "</span>";
        EXPECT_EQ(SanitizeMarkup(snippet), snippet);
    }
    const std::string link =
        Cp("<a href=\"http://您的网址\" target=\"_blank\">修改为你的链接文字</a>");
    EXPECT_EQ(SanitizeMarkup(link), link);
    const std::string content =
        Cp("第一行<br/>第二行 <span class=\"Tred\">红字 <a "
           "href=\"https://example.invalid/?a=1&b=2\" "
           "target=\"_blank\">链接</a></span><br/>\"引号\"");
    EXPECT_EQ(SanitizeMarkup(content), content);
    EXPECT_EQ(SanitizeMarkup(""), "");
}

TEST(SanitizeMarkup, KeptTagsAreRebuiltWithoutOtherAttributes) {
    EXPECT_EQ(SanitizeMarkup("<SPAN Class='Tred' style=\"position:fixed\" onclick=x>r</Span >"),
              "<span class=\"Tred\">r</span>");
    EXPECT_EQ(SanitizeMarkup("<span class=TBBl />b"), "<span class=\"TBBl\">b</span>");
    EXPECT_EQ(SanitizeMarkup("<br><BR /><br/ ><br onmouseover=\"x()\">"), "<br/><br/><br/><br/>");
    EXPECT_EQ(SanitizeMarkup("<A HREF=http://x.invalid/p onclick=\"go()\">x</A>"),
              "<a href=\"http://x.invalid/p\" target=\"_blank\">x</a>");
    // A link always opens a new view, whatever its own target says.
    EXPECT_EQ(SanitizeMarkup("<a target=\"_self\" href=\"mailto:me@x.invalid\">m</a>"),
              "<a href=\"mailto:me@x.invalid\" target=\"_blank\">m</a>");
    // The first of two same-named attributes counts, as in the page.
    EXPECT_EQ(SanitizeMarkup("<a href=\"http://x\" href=\"javascript:alert(1)\">l</a>"),
              "<a href=\"http://x\" target=\"_blank\">l</a>");
    EXPECT_EQ(SanitizeMarkup("<span class=\"Tred\" class=\"other\">"),
              "<span class=\"Tred\"></span>");
}

TEST(SanitizeMarkup, LinkAddressesAreTrimmedAndEscapedButKeepTheirAmpersands) {
    EXPECT_EQ(SanitizeMarkup("<a href=\" \r\n\tHTTPS://x.invalid/ \">s</a>"),
              "<a href=\"HTTPS://x.invalid/\" target=\"_blank\">s</a>");
    EXPECT_EQ(SanitizeMarkup("<a href='http://x/\"onmouseover=\"alert(1)<b>'>q</a>"),
              "<a href=\"http://x/&quot;onmouseover=&quot;alert(1)&lt;b&gt;\" "
              "target=\"_blank\">q</a>");
    EXPECT_EQ(SanitizeMarkup("<a href=\"http://x/?a=1&b=2&amp;c=&#51;\">q</a>"),
              "<a href=\"http://x/?a=1&b=2&amp;c=&#51;\" target=\"_blank\">q</a>");
    const std::string chinese = Cp("<a href=\"http://例子.invalid/页\" target=\"_blank\">页</a>");
    EXPECT_EQ(SanitizeMarkup(chinese), chinese);
}

TEST(SanitizeMarkup, LinksToAnythingButTheWebOrMailShowAsText) {
    for (const char* href : {"javascript:alert(1)", "JavaScript:alert(1)", " \njavascript:x()",
                             "java&#115;cript:alert(1)", "&#106;avascript:x", "jav\tascript:x",
                             "data:text/html,<script>alert(1)</script>", "vbscript:msgbox(1)",
                             "&#104;ttp://x", "http:x", "//x.invalid/", "file:///etc/passwd",
                             "http://x\ny", "http://x\x7Fy", "", "/DeNo/1/"}) {
        const std::string tag = "<a href=\"" + std::string(href) + "\">";
        ExpectShownAsTyped(tag + "link</a>");
    }
    ExpectShownAsTyped("<a>no address</a>");
    ExpectShownAsTyped("<a href>empty</a>");
}

TEST(SanitizeMarkup, OtherSpansShowAsText) {
    for (const char* tag : {"<span>", "<span class=\"tred\">", "<span class=\"Tred x\">",
                            "<span class=\"New\">", "<span class=\" Tred\">", "<span class>",
                            "<span id=\"mm1\" class=\"tm\">", "<spanx class=\"Tred\">"}) {
        ExpectShownAsTyped(std::string(tag) + "x</span>");
    }
}

// Stored texts written to hijack the page: none may keep a tag, a handler or a
// script address, and all of them show as typed.
TEST(SanitizeMarkup, HostileTextsShowAsTyped) {
    const std::vector<std::string> hostile = {
        "<script>alert(1)</script>",
        "<SCRIPT src=\"http://x.invalid/x.js\"></SCRIPT>",
        "<img src=x onerror=\"window.external.MyDoEx(0,0,0,0,0,'UPFS','','','','')\">",
        "<img src=x onerror=alert(1)>",
        "<body onload=alert(1)>",
        "<div onclick=\"alert(1)\">click</div>",
        "<div onmouseover='alert(1)' style=\"position:fixed;top:0;left:0;width:100%;"
        "height:100%\">",
        "<input onfocus=alert(1) autofocus>",
        "<details open ontoggle=alert(1)>",
        "<style>@keyframes x{}</style><p style=\"animation-name:x\" onanimationstart=alert(1)>",
        "<style>body{display:none}</style>",
        "<div style=\"position:fixed;z-index:9999;background:white\">overlay",
        "<iframe src=\"http://command.korvane.invalid/DeNo/1/\"></iframe>",
        "<meta http-equiv=\"refresh\" content=\"0;url=http://x.invalid/\">",
        "<base href=\"http://x.invalid/\">",
        "<form action=\"http://x.invalid/\"><input type=submit></form>",
        "<svg onload=alert(1)>",
        "<svg><script>alert(1)</script></svg>",
        "<object data=\"x.swf\"></object>",
        "<embed src=x>",
        "<link rel=stylesheet href=\"http://x.invalid/x.css\">",
        "<textarea>",
        "<title>",
        "<xmp>",
        "<plaintext>",
        "<!-- hides every later record",
        "<!-- closed --> after",
        "<!--><script>x</script>",
        "<![CDATA[ x ]]>",
        "<!DOCTYPE html>",
        "<?php echo 1 ?>",
        "</div></td></tr></table>",
        "<div>unclosed",
        "<table><tr><td>",
        "s = \"<div>\"; }",
        "a < b && c > d",
        "<",
        ">",
        "&",
        "</",
        "</>",
        "</ x>",
        "<b",
        "<b onclick=\"x",
        "<a href=\"http://x",
        "<a href='http://x' onclick='",
        "&nbsp;&copy;&#60;&#x3C;&lt",
        "<scr<script>ipt>alert(1)</scr</script>ipt>",
    };
    for (const std::string& text : hostile) ExpectShownAsTyped(text);
}

TEST(SanitizeMarkup, TextShowsAsTypedWithEveryByteKept) {
    EXPECT_EQ(SanitizeMarkup("s = \"<div>\"; }"), "s = \"&lt;div&gt;\"; }");
    EXPECT_EQ(SanitizeMarkup("<!-- x -->"), "&lt;!-- x --&gt;");
    EXPECT_EQ(SanitizeMarkup("&nbsp; & &amp"), "&amp;nbsp; &amp; &amp;amp");
    // Every byte but '<', '>' and '&' passes, NUL and stray high bytes too.
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '<' && b != '>' && b != '&') bytes += static_cast<char>(b);
    }
    EXPECT_EQ(SanitizeMarkup(bytes), bytes);
    const std::string gbk = Cp("会议纪要：“重要”，见第３页") + "\x80\xFF\x81\x30\x81\x30";
    EXPECT_EQ(SanitizeMarkup(gbk), gbk);
    EXPECT_EQ(SanitizeMarkup(Cp("价格<五元>")), Cp("价格&lt;五元&gt;"));
}

// Entities show as typed, not as the characters they stand for.
TEST(SanitizeMarkup, EntitiesShowAsTyped) {
    EXPECT_EQ(SanitizeMarkup("&lt;script&gt; &amp; &quot;"),
              "&amp;lt;script&amp;gt; &amp;amp; &amp;quot;");
    EXPECT_EQ(SanitizeMarkup("&AMP; &LT;"), "&amp;AMP; &amp;LT;");
}

TEST(SanitizeMarkup, EveryTagIsClosedInOrder) {
    // The end of the text closes what is open, innermost first.
    EXPECT_EQ(SanitizeMarkup("<span class=\"Tred\"><a href=\"http://x\">x"),
              "<span class=\"Tred\"><a href=\"http://x\" target=\"_blank\">x</a></span>");
    // An end tag closes what was opened inside its tag.
    EXPECT_EQ(SanitizeMarkup("<span class=\"Tred\"><span class=\"TBBl\">x</span>y</span>z"),
              "<span class=\"Tred\"><span class=\"TBBl\">x</span>y</span>z");
    EXPECT_EQ(
        SanitizeMarkup("<a href=\"http://x\"><span class=\"Tred\">x</a>y</span>"),
        "<a href=\"http://x\" target=\"_blank\"><span class=\"Tred\">x</span></a>y&lt;/span&gt;");
    // End tags without an opening show as text.
    EXPECT_EQ(SanitizeMarkup("</span></a></br>x"), "&lt;/span&gt;&lt;/a&gt;&lt;/br&gt;x");
    // A rejected opening leaves its end tag unmatched.
    EXPECT_EQ(SanitizeMarkup("<span class=\"bad\">x</span>"),
              "&lt;span class=\"bad\"&gt;x&lt;/span&gt;");
}

TEST(SanitizeMarkup, ALinkOpeningInsideALinkClosesItFirst) {
    EXPECT_EQ(SanitizeMarkup("<a href=\"http://a\"><span class=\"Tred\">1<a "
                             "href=\"http://b\">2</a>3</span></a>"),
              "<a href=\"http://a\" target=\"_blank\"><span class=\"Tred\">1</span></a>"
              "<a href=\"http://b\" target=\"_blank\">2</a>3&lt;/span&gt;&lt;/a&gt;");
}

TEST(SanitizeMarkup, MarkupTheTextEndsInsideShowsTheRestAsTyped) {
    EXPECT_EQ(SanitizeMarkup("x<b title=\"<br/> y"), "x&lt;b title=\"&lt;br/&gt; y");
    EXPECT_EQ(SanitizeMarkup("<br/><!-- <br/>"), "<br/>&lt;!-- &lt;br/&gt;");
    // Markup that does end is read as a whole, so what is inside it stays text.
    EXPECT_EQ(SanitizeMarkup("<b title=\"<br/>\"><br/>"), "&lt;b title=\"&lt;br/&gt;\"&gt;<br/>");
    EXPECT_EQ(SanitizeMarkup("<!-- <br/> --><br/><!--><br/><!---><br/>"),
              "&lt;!-- &lt;br/&gt; --&gt;<br/>&lt;!--&gt;<br/>&lt;!---&gt;<br/>");
    EXPECT_EQ(SanitizeMarkup("<!-- <br/> --!><br/><!x <br/>><br/></ x <br/>><br/>"),
              "&lt;!-- &lt;br/&gt; --!&gt;<br/>&lt;!x &lt;br/&gt;&gt;<br/>&lt;/ x "
              "&lt;br/&gt;&gt;<br/>");
    // '<' before anything but a letter, '/', '!' or '?' is plain text.
    EXPECT_EQ(SanitizeMarkup("1 <2 <br/>"), "1 &lt;2 <br/>");
    EXPECT_EQ(SanitizeMarkup("<<br/>>"), "&lt;<br/>&gt;");
    // The contents of a script are text like any other.
    EXPECT_EQ(SanitizeMarkup("<script>w('<br/>')</script>"),
              "&lt;script&gt;w('<br/>')&lt;/script&gt;");
}

// Random texts from fragments of markup, hostile and kept, and GBK text.
TEST(SanitizeMarkup, RandomTextsComeOutSafeAndStable) {
    const std::vector<std::string> pieces = {"<span class=\"Tred\">",
                                             "<span class=\"TBBl\">",
                                             "</span>",
                                             "<br/>",
                                             "<br>",
                                             Cp("<a href=\"http://您的网址\" target=\"_blank\">"),
                                             "</a>",
                                             "<",
                                             ">",
                                             "&",
                                             "\"",
                                             "'",
                                             "=",
                                             " ",
                                             "/",
                                             "!--",
                                             "--",
                                             "span",
                                             "a",
                                             "br",
                                             "script",
                                             "img",
                                             " class=",
                                             " href=",
                                             "Tred",
                                             "http://x",
                                             "javascript:",
                                             " onerror=",
                                             "&amp;",
                                             "&lt;",
                                             "\r\n",
                                             Cp("中文"),
                                             "\x80",
                                             std::string(1, '\0')};
    std::mt19937 random(20240607);
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
        ExpectSafe(text);
        if (HasFailure()) return;
    }
}

// Random well-formed texts of kept tags in their written form and text without
// '<', '>' or '&' pass byte for byte.
TEST(SanitizeMarkup, RandomWellFormedTextsPassUnchanged) {
    const std::vector<std::string> opens = {
        "<span class=\"TBlank\">",
        "<span class=\"TBBl\">",
        "<span class=\"Tred\">",
        "<span class=\"TBred\">",
        "<a href=\"https://x.invalid/?a=1&b=2\" target=\"_blank\">",
        "<a href=\"mailto:a@x.invalid\" target=\"_blank\">"};
    const std::vector<std::string> texts = {"x", " ",    "\"",       "'",   "=",
                                            "/", "\r\n", Cp("中文"), "\x80"};
    std::mt19937 random(77);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        std::vector<std::string> closes;
        bool inLink = false;
        const int steps = static_cast<int>(random() % 20);
        for (int i = 0; i < steps; ++i) {
            const unsigned pick = random() % 4;
            if (pick == 0) {
                const std::string& open = opens[random() % opens.size()];
                const bool link = open.starts_with("<a");
                if (link && inLink) continue;
                inLink = inLink || link;
                text += open;
                closes.push_back(link ? "</a>" : "</span>");
            } else if (pick == 1 && !closes.empty()) {
                inLink = inLink && closes.back() != "</a>";
                text += closes.back();
                closes.pop_back();
            } else if (pick == 2) {
                text += "<br/>";
            } else {
                text += texts[random() % texts.size()];
            }
        }
        for (auto close = closes.rbegin(); close != closes.rend(); ++close) text += *close;
        ASSERT_EQ(SanitizeMarkup(text), text);
    }
}

// Seconds taken to sanitise `text`.
double SecondsFor(const std::string& text) {
    const auto start = std::chrono::steady_clock::now();
    const std::string out = SanitizeMarkup(text);
    EXPECT_GE(out.size(), text.size());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Repeat(const std::string& piece, size_t bytes) {
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes) text += piece;
    return text;
}

// Unfinished markup must not be read again and again to the end of the text:
// that would take minutes on these. Linear work takes a few hundredths of a
// second in an optimised build; the bound leaves room for unoptimised builds
// under the address and undefined-behaviour sanitizers.
TEST(SanitizeMarkup, LargeTextsTakeLinearTime) {
    constexpr size_t kMegabyte = 1 << 20;
    constexpr double kBound = 3.0;
    const std::vector<std::string> texts = {
        Repeat("<a", kMegabyte),
        Repeat("<a x=\"", kMegabyte),
        Repeat("<a x='<b y=\"", kMegabyte),
        Repeat("<!--", kMegabyte),
        Repeat("<!---->", kMegabyte),
        Repeat("</", kMegabyte),
        Repeat("<span class=\"Tred\">", kMegabyte),
        Repeat("</span>", kMegabyte),
        Repeat("<a href=\"http://x\">", kMegabyte),
        // End tags and links opening under many open spans.
        Repeat("<span class=\"Tred\">", kMegabyte) + Repeat("</a>", kMegabyte),
        Repeat("<span class=\"Tred\">", kMegabyte) + Repeat("<a href=\"http://x\">", kMegabyte),
        Repeat("&&amp;", kMegabyte),
        Repeat("<a" + std::string(100, ' '), kMegabyte),
        Repeat(Cp("记事<span class=\"Tred\">红字</span><br/>&lt;x&gt; <b>粗</b>\r\n"),
               5 * kMegabyte),
    };
    for (const std::string& text : texts) {
        EXPECT_LT(SecondsFor(text), kBound) << text.substr(0, 40);
    }
}

}  // namespace
}  // namespace korvane
