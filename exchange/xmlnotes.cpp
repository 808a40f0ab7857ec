#include "exchange/xmlnotes.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "exchange/datetime.h"
#include "exchange/xmlstream.h"
#include "platform/codepage.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

constexpr std::string_view kBoldOpen = "<span class=\"TBlank\">";
constexpr std::string_view kBoldClose = "</span>";

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || IsLineEnd(c); };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A title on one line, in the code page.
std::string StoredTitle(std::string_view utf8) {
    std::string line(Trimmed(utf8));
    std::replace_if(
        line.begin(), line.end(), [](char c) { return IsLineEnd(c) || c == '\t'; }, ' ');
    return platform::ToCodePage(line);
}

// A body with CR LF between lines, in the code page.
std::string StoredBody(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16);
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r') {
            out += "\r\n";
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else if (utf8[i] == '\n') {
            out += "\r\n";
        } else {
            out += utf8[i];
        }
    }
    return platform::ToCodePage(out);
}

std::string StoredDate(std::string_view first, std::string_view second) {
    for (const std::string_view iso : {first, second})
        if (const std::optional<std::string> stored = StoredTimeFromIso(Trimmed(iso)))
            return *stored;
    return {};
}

std::string Named(std::string_view utf8) {
    static const std::string open = Cp("<"), close = Cp(">");
    return open + platform::ToCodePage(utf8.substr(0, 64)) + close;
}

std::string Lower(std::string_view name) {
    std::string out(LocalName(name));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// ---- Gnote and Tomboy .note files ----

class GnoteReader : public XmlHandler {
  public:
    void OnStart(std::string_view name, std::span<const XmlAttribute>) override {
        if (path_.empty() && LocalName(name) != "note") {
            static const std::string notNote = Ui::tr("不是 Gnote 笔记：根元素是 "),
                                     expected = Ui::tr("，应为 <note>");
            Stop(notNote + Named(name) + expected);
            return;
        }
        if (InContent()) {
            const std::string_view local = LocalName(name);
            if (local == "list") ++lists_;
            if (local == "list-item") {
                for (int i = 1; i < lists_; ++i) content_ += "  ";
                content_ += "\u2022 ";
            }
        }
        path_.emplace_back(LocalName(name));
        sawContent_ = sawContent_ || InContent();
    }

    void OnEnd(std::string_view name) override {
        path_.pop_back();
        if (InContent() && LocalName(name) == "list") --lists_;
        if (path_.empty() && !sawContent_) {
            static const std::string noContent =
                Ui::tr("不是 Gnote 笔记：<note> 里没有 <text><note-content> 元素");
            Stop(noContent);
        }
    }

    void OnText(std::string_view text) override {
        if (InContent()) {
            content_ += text;
        } else if (path_.size() == 2) {
            if (path_[1] == "title") title_ += text;
            if (path_[1] == "last-change-date") changed_ += text;
            if (path_[1] == "create-date") created_ += text;
        }
    }

    ExchangedNote Note() const {
        std::string_view body = content_;
        const std::string_view title = Trimmed(title_);
        // The content's first line is the title again.
        const size_t lineEnd = body.find('\n');
        if (!title.empty() && Trimmed(body.substr(0, lineEnd)) == title)
            body =
                lineEnd == std::string_view::npos ? std::string_view() : body.substr(lineEnd + 1);
        while (!body.empty() && IsLineEnd(body.back())) body.remove_suffix(1);
        ExchangedNote note;
        note.title = StoredTitle(title.empty() ? content_.substr(0, content_.find('\n')) : title_);
        note.body = StoredBody(body);
        note.date = StoredDate(changed_, created_);
        return note;
    }

  private:
    // Inside <text><note-content> of the root.
    bool InContent() const {
        return path_.size() >= 3 && path_[1] == "text" && path_[2] == "note-content";
    }

    std::vector<std::string> path_;  // local names of the open elements
    std::string title_, content_, changed_, created_;
    int lists_ = 0;
    bool sawContent_ = false;
};

// ---- Evernote's ENML note content ----

bool IsBlock(std::string_view name) {
    static constexpr std::array<std::string_view, 27> kBlocks = {
        "div",     "p",      "li",     "h1",         "h2",      "h3",     "h4",
        "h5",      "h6",     "tr",     "blockquote", "pre",     "ul",     "ol",
        "table",   "hr",     "dl",     "dt",         "dd",      "center", "section",
        "article", "header", "footer", "address",    "en-note", "caption"};
    return std::find(kBlocks.begin(), kBlocks.end(), name) != kBlocks.end();
}

// Elements whose text is no part of the note: attachments, encrypted text,
// style sheets and scripts.
bool IsLeftOut(std::string_view name) {
    return name == "en-media" || name == "en-crypt" || name == "style" || name == "script" ||
           name == "head" || name == "title" || name == "object" || name == "embed";
}

bool IsWebOrMailAddress(std::string_view href) {
    const auto startsNoCase = [href](std::string_view scheme) {
        if (href.size() <= scheme.size()) return false;
        for (size_t i = 0; i < scheme.size(); ++i) {
            char c = href[i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (c != scheme[i]) return false;
        }
        return true;
    };
    if (!startsNoCase("http://") && !startsNoCase("https://") && !startsNoCase("mailto:"))
        return false;
    return std::none_of(href.begin(), href.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || c == 0x7f || c == '"' || c == '<' ||
               c == '>' || c == '\'';
    });
}

// The text of an ENML document as a stored body (UTF-8 here): blocks as lines,
// whitespace collapsed as a page shows it (kept inside <pre>).
class EnmlReader : public XmlHandler {
  public:
    void OnStart(std::string_view rawName, std::span<const XmlAttribute> attributes) override {
        const std::string name = Lower(rawName);
        if (leftOut_ > 0 || IsLeftOut(name)) {
            if (leftOut_++ == 0 && name == "en-crypt") ++crypts_;
            return;
        }
        if (name == "br") {
            Break();
        } else if (IsBlock(name)) {
            SoftBreak();
        }
        if (name == "pre") ++pre_;
        if (name == "ul") lists_.push_back(-1);
        if (name == "ol") lists_.push_back(0);
        if (name == "tr") cells_ = 0;
        if (name == "li") Raw(ListMark());
        if ((name == "td" || name == "th") && cells_++ > 0) Raw(" | ");
        if (name == "en-todo")
            Raw(AttributeValue(attributes, "checked") == "true" ? "[x] " : "[ ] ");
        if (name == "b" || name == "strong") ++bold_;
        if (name == "a") OpenLink(AttributeValue(attributes, "href"));
    }

    void OnEnd(std::string_view rawName) override {
        const std::string name = Lower(rawName);
        if (leftOut_ > 0) {
            --leftOut_;
            return;
        }
        if (name == "a") CloseLink();
        if ((name == "b" || name == "strong") && --bold_ == 0 && boldOpen_) {
            out_ += kBoldClose;
            boldOpen_ = false;
        }
        if (name == "pre") --pre_;
        if ((name == "ul" || name == "ol") && !lists_.empty()) lists_.pop_back();
        if (IsBlock(name)) SoftBreak();
    }

    void OnText(std::string_view text) override {
        if (leftOut_ > 0) return;
        for (const char c : text) {
            if (pre_ > 0 && IsLineEnd(c)) {
                if (c == '\n') Break();
            } else if (pre_ == 0 && (c == ' ' || c == '\t' || IsLineEnd(c))) {
                space_ = true;
            } else {
                OpenPendingBold();
                FlushSpace();
                out_ += c;
            }
        }
    }

    std::string Body() const {
        std::string_view body = out_;
        while (!body.empty() && IsLineEnd(body.back())) body.remove_suffix(1);
        return std::string(body);
    }

    int Crypts() const { return crypts_; }

  private:
    bool LineEmpty() const { return out_.empty() || out_.back() == '\n'; }

    // A space the text held before what comes now, unless the line starts here.
    void FlushSpace() {
        if (space_ && !LineEmpty()) out_ += ' ';
        space_ = false;
    }

    // Text the reader writes itself (marks, separators): after any pending space.
    void Raw(std::string_view text) {
        FlushSpace();
        out_ += text;
    }

    void Break() {
        out_ += '\n';
        space_ = false;
    }

    // A block's edge: a new line unless one just began.
    void SoftBreak() {
        if (!LineEmpty()) out_ += '\n';
        space_ = false;
    }

    // Bold opens with its first text, so an empty <b> leaves nothing; and
    // before a link inside it, so the two nest as the sanitiser reads them.
    void OpenPendingBold() {
        if (bold_ == 0 || boldOpen_) return;
        FlushSpace();
        out_ += kBoldOpen;
        boldOpen_ = true;
    }

    std::string ListMark() {
        std::string mark;
        for (size_t i = 1; i < lists_.size(); ++i) mark += "  ";
        if (lists_.empty() || lists_.back() < 0) return mark + "\u2022 ";
        return mark + std::to_string(++lists_.back()) + ". ";
    }

    // A link stays a link when it goes to a web or mail address and no other
    // link is open; otherwise its text stays.
    void OpenLink(std::string_view href) {
        const bool kept = !linkOpen_ && IsWebOrMailAddress(href);
        links_.push_back(kept);
        if (!kept) return;
        OpenPendingBold();
        Raw("<a href=\"");
        out_ += href;
        out_ += "\" target=\"_blank\">";
        linkOpen_ = true;
    }

    void CloseLink() {
        if (links_.empty()) return;
        if (links_.back()) {
            out_ += "</a>";
            linkOpen_ = false;
        }
        links_.pop_back();
    }

    std::string out_;
    std::vector<int> lists_;   // -1 for a bullet list, else the last number given
    std::vector<bool> links_;  // per open <a>: whether it was written as a link
    int leftOut_ = 0, pre_ = 0, bold_ = 0, cells_ = 0, crypts_ = 0;
    bool space_ = false, boldOpen_ = false, linkOpen_ = false;
};

// ---- Evernote export files ----

class EnexReader : public XmlHandler {
  public:
    void OnStart(std::string_view name, std::span<const XmlAttribute>) override {
        const std::string_view local = LocalName(name);
        if (depth_ == 0 && local != "en-export") {
            static const std::string notEnex = Ui::tr("不是 Evernote 导出文件：根元素是 "),
                                     expected = Ui::tr("，应为 <en-export>");
            Stop(notEnex + Named(name) + expected);
            return;
        }
        ++depth_;
        if (depth_ == 2 && local == "note") note_ = Fields{};
        if (depth_ == 3 && note_) {
            field_ = local;
            if (local == "resource") ++skipped_;
        }
    }

    void OnEnd(std::string_view name) override {
        if (depth_ == 3) field_.clear();
        if (depth_ == 2 && note_ && LocalName(name) == "note") Finish();
        --depth_;
    }

    void OnText(std::string_view text) override {
        if (depth_ != 3 || !note_) return;
        if (field_ == "title") note_->title += text;
        if (field_ == "content") note_->content += text;
        if (field_ == "created") note_->created += text;
        if (field_ == "updated") note_->updated += text;
    }

    std::vector<ExchangedNote> TakeNotes() { return std::move(notes_); }
    int Skipped() const { return skipped_; }

  private:
    struct Fields {
        std::string title, content, created, updated;
    };

    void Finish() {
        EnmlReader enml;
        XmlLimits limits;
        limits.forceUtf8 = true;
        std::string error;
        if (!Trimmed(note_->content).empty()) error = ParseXml(note_->content, enml, limits);
        if (!error.empty()) {
            static const std::string what = Ui::tr("第 %1 条笔记 %2 的内容不是有效的 XML（%3）");
            Stop(UiArgs(what, {std::to_string(notes_.size() + 1), Quoted(note_->title), error}));
            return;
        }
        skipped_ += enml.Crypts();
        ExchangedNote note;
        note.title = StoredTitle(note_->title);
        note.body = StoredBody(enml.Body());
        note.date = StoredDate(note_->updated, note_->created);
        notes_.push_back(std::move(note));
        note_.reset();
    }

    static std::string Quoted(std::string_view utf8) {
        static const std::string open = Ui::tr("《"), close = Ui::tr("》");
        return open + StoredTitle(utf8.substr(0, 200)) + close;
    }

    std::optional<Fields> note_;
    std::string field_;
    std::vector<ExchangedNote> notes_;
    int depth_ = 0, skipped_ = 0;
};

}  // namespace

XmlNotesResult ReadGnoteNote(std::string_view bytes) {
    GnoteReader reader;
    XmlNotesResult result;
    result.error = ParseXml(bytes, reader);
    if (result.error.empty()) result.notes.push_back(reader.Note());
    return result;
}

XmlNotesResult ReadEnex(std::string_view bytes) {
    EnexReader reader;
    XmlNotesResult result;
    result.error = ParseXml(bytes, reader);
    if (!result.error.empty()) return result;
    result.notes = reader.TakeNotes();
    result.skipped = reader.Skipped();
    return result;
}

}  // namespace korvane
