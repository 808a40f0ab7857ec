// Notes as VJOURNAL items, contacts as vCards, written over the server's last
// copy so that only the properties the notebook owns change.
//
// A write starts from the copy (or, without one, from an empty skeleton) and
// goes through the target component line by line: a property the notebook
// owns is kept as written when the copy already says what the record says,
// replaced when it does not, and added before END when the copy has none;
// every other line and component is written back as it came.
#include "exchange/davitems.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <unordered_set>
#include <vector>

#include "exchange/contentlines.h"
#include "exchange/datetime.h"
#include "exchange/messengers.h"
#include "exchange/vcard.h"
#include "exchange/vcardtext.h"
#include "platform/codepage.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

// DTSTAMP of a note without a save time: a journal entry must carry one, and
// a fixed one keeps the item the same from write to write.
constexpr std::string_view kNoDateStamp = "19700101T000000Z";
constexpr std::string_view kDateProperty = "X-KORVANE-DATE";

constexpr std::string_view kJournalSkeleton =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Korvane//Korvane//ZH\r\n"
    "BEGIN:VJOURNAL\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n";
constexpr std::string_view kCardSkeleton =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Korvane//Korvane//ZH\r\nEND:VCARD\r\n";

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Stored code-page bytes as an escaped UTF-8 value.
std::string Text(std::string_view stored) {
    return EscapeVCardText(platform::FromCodePage(stored));
}

// An escaped UTF-8 value as stored code-page bytes.
std::string Stored(std::string_view value) {
    return platform::ToCodePage(UnescapeVCardText(value));
}

// The value as escaped UTF-8: a 2.1 card's transfer encoding and character
// set undone. An unknown character set is read as UTF-8.
std::string Decoded(const ContentLine& line) {
    std::string bytes = line.value;
    if (line.Has("ENCODING", "QUOTED-PRINTABLE")) {
        bytes = DecodeQuotedPrintable(bytes);
    } else if (line.Has("ENCODING", "B") || line.Has("ENCODING", "BASE64")) {
        if (std::optional<std::string> decoded = DecodeBase64(bytes)) bytes = std::move(*decoded);
    }
    const std::string* charset = line.Param("CHARSET");
    std::optional<std::string> utf8 = CharsetToUtf8(bytes, charset ? *charset : "UTF-8");
    return utf8 ? std::move(*utf8) : bytes;
}

// The first property of each name directly in a component.
class FirstLines {
  public:
    explicit FirstLines(const ContentComponent& component) {
        for (const ContentNode& node : component.nodes)
            if (!node.component && !node.line.name.empty()) lines_.push_back(&node.line);
    }
    const ContentLine* operator[](std::string_view name) const {
        for (const ContentLine* line : lines_)
            if (line->name == name) return line;
        return nullptr;
    }

  private:
    std::vector<const ContentLine*> lines_;
};

std::string_view ValueOf(const ContentLine* line) {
    return line ? Trimmed(line->value) : std::string_view{};
}

// The save time: the stored one as it went up, while the server's stamp
// (`moment`) still names the moment written with it, or, for a stored text
// that is no time, while nobody has marked the item modified since; else the
// first of `others` that is a date-time, in local time.
std::string DateOf(const ContentLine* stored, const ContentLine* moment,
                   const ContentLine* modified, std::initializer_list<const ContentLine*> others) {
    if (stored) {
        std::string date = Stored(Decoded(*stored));
        const std::optional<std::string> utc = UtcFromStoredTime(date);
        if (utc ? ValueOf(moment) == *utc : ValueOf(modified).empty()) return date;
    }
    for (const ContentLine* line : others)
        if (line)
            if (std::optional<std::string> date = StoredTimeFromIso(Trimmed(line->value)))
                return *date;
    return {};
}

DavNoteRead JournalFields(const ContentComponent& journal) {
    const FirstLines first(journal);
    DavNoteRead out;
    if (const ContentLine* uid = first["UID"]) out.uid = Stored(Decoded(*uid));
    if (const ContentLine* summary = first["SUMMARY"]) out.note.title = Stored(Decoded(*summary));
    if (const ContentLine* body = first["DESCRIPTION"]) out.note.body = Stored(Decoded(*body));
    const ContentLine* modified = first["LAST-MODIFIED"];
    const ContentLine* stamp = first["DTSTAMP"];
    out.note.date = DateOf(first[kDateProperty], modified ? modified : stamp, modified,
                           {modified, stamp, first["DTSTART"]});
    return out;
}

// A name from a structured N: Western parts in reading order with spaces,
// Chinese parts family first and unspaced.
std::string NameFromN(std::string_view value) {
    std::vector<std::string> parts = SplitVCardValue(value, ';');
    parts.resize(5);
    const bool ascii = std::all_of(value.begin(), value.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    std::string name;
    if (!ascii) {
        for (const std::string& part : parts) name += Stored(part);
        return name;
    }
    for (const int i : {3, 1, 2, 0, 4}) {
        const std::string part = Stored(parts[static_cast<size_t>(i)]);
        if (part.empty()) continue;
        if (!name.empty()) name += ' ';
        name += part;
    }
    return name;
}

bool IsUriValue(const ContentLine& line) {
    const std::string* type = line.Param("VALUE");
    return type && Upper(*type) == "URI";
}

DavContactRead CardFields(const ContentComponent& card) {
    const FirstLines first(card);
    DavContactRead out;
    if (const ContentLine* uid = first["UID"]) out.uid = Stored(Decoded(*uid));
    if (const ContentLine* fn = first["FN"])
        out.contact.name = Stored(Decoded(*fn));
    else if (const ContentLine* n = first["N"])
        out.contact.name = NameFromN(Decoded(*n));
    if (const ContentLine* tel = first["TEL"]) {
        std::string value = Decoded(*tel);
        if (IsUriValue(*tel) && Upper(value.substr(0, 4)) == "TEL:") value.erase(0, 4);
        out.contact.tel = Stored(value);
    }
    if (const ContentLine* note = first["NOTE"]) out.contact.remark = Stored(Decoded(*note));
    const ContentLine* rev = first["REV"];
    out.contact.date = DateOf(first[kDateProperty], rev, rev, {rev});
    return out;
}

// A property the notebook owns, and what a write does with the copy's first
// line of it.
struct Owned {
    std::string_view name;
    bool keep = false;        // the copy says what the record says: its line stays as written
    bool present = true;      // false when the record has nothing for it
    std::string value;        // escaped, for a new line
    std::string fresh;        // the line's start when the copy has none: "TEL;VALUE=text"
    bool keepParams = false;  // a replaced line keeps the copy's parameters
};

struct Merge {
    std::vector<Owned> owned;
    std::string added;  // lines written before END besides the owned ones
    // True for a line the write leaves out (a messenger line of a tag gone).
    std::function<bool(const ContentLine&)> drop = [](const ContentLine&) { return false; };
};

std::string NewLine(const Owned& o, const ContentLine* copy) {
    if (copy && o.keepParams) return RewrittenLine(*copy, o.value);
    return FoldVCardLine(o.fresh + ":" + o.value);
}

std::string Merged(const ContentComponent& target, const Merge& merge) {
    std::vector<bool> seen(merge.owned.size(), false);
    std::string out = target.begin.raw + "\r\n";
    for (size_t i = 0; i < target.nodes.size(); ++i) {
        const ContentNode& node = target.nodes[i];
        if (node.component) {
            out += node.component->Raw();
            continue;
        }
        const ContentLine& line = node.line;
        const auto owned = std::find_if(merge.owned.begin(), merge.owned.end(),
                                        [&](const Owned& o) { return o.name == line.name; });
        const size_t index = static_cast<size_t>(owned - merge.owned.begin());
        if (owned == merge.owned.end() || seen[index]) {
            if (!merge.drop(line)) out += line.raw + "\r\n";
            continue;
        }
        seen[index] = true;
        if (owned->keep) {
            out += line.raw + "\r\n";
        } else if (owned->present) {
            out += NewLine(*owned, &line);
        } else {
            // Dropping the line would make the next one of its name the first,
            // which a read takes; an empty value keeps saying "none".
            const bool more = std::any_of(
                target.nodes.begin() + static_cast<std::ptrdiff_t>(i) + 1, target.nodes.end(),
                [&](const ContentNode& n) { return !n.component && n.line.name == line.name; });
            if (more) out += RewrittenLine(line, "");
        }
    }
    for (size_t i = 0; i < merge.owned.size(); ++i)
        if (!seen[i] && !merge.owned[i].keep && merge.owned[i].present)
            out += NewLine(merge.owned[i], nullptr);
    out += merge.added;
    return out + target.end.raw + "\r\n";
}

// The whole item with `target` merged and everything else as written.
std::string Written(const std::vector<ContentNode>& nodes, const ContentComponent* target,
                    const Merge& merge) {
    std::string out;
    for (const ContentNode& node : nodes) {
        if (!node.component) {
            out += node.line.raw + "\r\n";
        } else if (node.component.get() == target) {
            out += Merged(*target, merge);
        } else {
            std::string inner = node.component->begin.raw + "\r\n";
            inner += Written(node.component->nodes, target, merge);
            out += inner + node.component->end.raw + "\r\n";
        }
    }
    return out;
}

// The copy parsed with its target component, or the skeleton when the copy
// is missing or holds no such component.
struct Base {
    ContentParse parse;
    const ContentComponent* target = nullptr;
    bool fresh = false;
};

Base BaseOf(std::string_view copy, std::string_view skeleton, std::string_view outer,
            std::string_view inner) {
    Base base;
    const auto find = [&](const ContentParse& parse) -> const ContentComponent* {
        const ContentComponent* top = FindComponent(parse.nodes, outer);
        if (!top || inner.empty()) return top;
        return FindComponent(top->nodes, inner);
    };
    if (!copy.empty()) {
        base.parse = ParseContentLines(copy);
        if (base.parse.error.empty()) base.target = find(base.parse);
    }
    if (!base.target) {
        base.parse = ParseContentLines(skeleton);
        base.target = find(base.parse);
        base.fresh = true;
    }
    return base;
}

// The dates of a record: the stored time as it is, and the UTC stamp when it
// is a stored time.
struct Dates {
    std::string stored;
    std::optional<std::string> utc;
};

Dates DatesOf(std::string_view date) {
    return {Text(date), UtcFromStoredTime(date)};
}

struct MessengerLines {
    std::unordered_set<std::string> wanted;  // tags of the new remark
    std::unordered_set<std::string> old;     // tags of the copy's remark
    std::unordered_set<std::string> held;    // wanted tags the copy has a line for
};

// The tag a messenger line carries, or empty for any other line.
std::string TagOfLine(const ContentLine& line) {
    if (line.name == "IMPP") {
        const std::string value = Decoded(line);
        const size_t colon = value.find(':');
        if (colon == std::string::npos) return {};
        std::string scheme = value.substr(0, colon);
        for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        const MessengerService* service = ServiceOfScheme(scheme);
        std::string id = value.substr(colon + 1);
        if (!id.empty() && id.front() == '/') id.erase(0, id.find_first_not_of('/'));
        if (!service || id.empty()) return {};
        return MessengerTag(service->tag, platform::ToCodePage(PercentDecode(id)));
    }
    if (const MessengerService* service = ServiceOfProperty(line.name)) {
        const std::string id = Stored(Decoded(line));
        return id.empty() ? std::string{} : MessengerTag(service->tag, id);
    }
    return {};
}

// A messenger line of a tag the copy's remark had and the new one has not:
// the user took it out. Lines of ids the remark never held are the phone's.
bool IsMessengerLineGone(const ContentLine& line, const MessengerLines& tags) {
    const std::string tag = TagOfLine(line);
    return !tag.empty() && !tags.wanted.contains(tag) && tags.old.contains(tag);
}

std::string CardVersion(const ContentComponent& card) {
    const FirstLines first(card);
    const ContentLine* version = first["VERSION"];
    return version ? std::string(Trimmed(version->value)) : "3.0";
}

// IMPP and the service's property for each tag of the remark the copy has
// no line for, the first 64 at most, as the export writes them.
std::string AddedMessengerLines(std::string_view remark, const MessengerLines& tags) {
    return MessengerCardLines(remark, [&tags](const MessengerId& item) {
        return tags.held.contains(MessengerTag(item.tag, item.id));
    });
}

}  // namespace

std::string WriteJournalItem(const ExchangedNote& note, std::string_view uid,
                             std::string_view serverCopy) {
    const Base base = BaseOf(serverCopy, kJournalSkeleton, "VCALENDAR", "VJOURNAL");
    const DavNoteRead copy = JournalFields(*base.target);
    const bool sameDate = !base.fresh && copy.note.date == note.date;
    const Dates dates = DatesOf(note.date);
    const auto same = [&](bool equal) { return !base.fresh && equal; };
    Merge merge;
    merge.owned = {
        {"UID", same(copy.uid == uid), true, Text(uid), "UID"},
        {"DTSTAMP", sameDate, true, dates.utc.value_or(std::string(kNoDateStamp)), "DTSTAMP"},
        {"LAST-MODIFIED", sameDate, dates.utc.has_value(), dates.utc.value_or(""), "LAST-MODIFIED"},
        {"SUMMARY", same(copy.note.title == note.title), !note.title.empty(), Text(note.title),
         "SUMMARY"},
        {"DESCRIPTION", same(copy.note.body == note.body), !note.body.empty(), Text(note.body),
         "DESCRIPTION"},
        {kDateProperty, sameDate, true, dates.stored, std::string(kDateProperty)},
    };
    return Written(base.parse.nodes, base.target, merge);
}

std::string WriteCardItem(const ExchangedContact& contact, std::string_view uid,
                          std::string_view serverCopy) {
    const Base base = BaseOf(serverCopy, kCardSkeleton, "VCARD", "");
    const DavContactRead copy = CardFields(*base.target);
    const bool v4 = CardVersion(*base.target) == "4.0";
    const auto same = [&](bool equal) { return !base.fresh && equal; };
    const bool sameDate = same(copy.contact.date == contact.date);
    const bool sameName = same(copy.contact.name == contact.name);
    const Dates dates = DatesOf(contact.date);

    MessengerLines tags;
    for (const MessengerId& item : MessengerTagsOf(contact.remark))
        if (!item.id.empty()) tags.wanted.insert(MessengerTag(item.tag, item.id));
    if (!base.fresh)
        for (const MessengerId& item : MessengerTagsOf(copy.contact.remark))
            tags.old.insert(MessengerTag(item.tag, item.id));
    for (const ContentNode& node : base.target->nodes)
        if (!node.component)
            if (std::string tag = TagOfLine(node.line); tags.wanted.contains(tag))
                tags.held.insert(std::move(tag));

    // A URI telephone value of the copy stays one.
    const ContentLine* copyTel = FirstLines(*base.target)["TEL"];
    const bool telUri = copyTel && IsUriValue(*copyTel);
    const std::string name = Text(contact.name);
    Merge merge;
    merge.owned = {
        {"UID", same(copy.uid == uid), true, Text(uid), v4 ? "UID;VALUE=text" : "UID"},
        {"FN", sameName, true, name, "FN"},
        {"N", sameName, true, name + ";;;;", "N"},
        {"TEL", same(copy.contact.tel == contact.tel), !contact.tel.empty(),
         (telUri ? "tel:" : "") + Text(contact.tel), v4 ? "TEL;VALUE=text" : "TEL", true},
        {"NOTE", same(copy.contact.remark == contact.remark), !contact.remark.empty(),
         Text(contact.remark), "NOTE"},
        {"REV", sameDate, dates.utc.has_value(), dates.utc.value_or(""), "REV"},
        {kDateProperty, sameDate, true, dates.stored, std::string(kDateProperty)},
    };
    merge.added = AddedMessengerLines(contact.remark, tags);
    merge.drop = [&tags](const ContentLine& line) { return IsMessengerLineGone(line, tags); };
    return Written(base.parse.nodes, base.target, merge);
}

DavNoteRead ReadJournalItem(std::string_view text) {
    const ContentParse parse = ParseContentLines(text);
    if (!parse.error.empty()) {
        static const std::string unreadable = Ui::tr("笔记条目读不了：");
        return {unreadable + parse.error, {}, {}};
    }
    const ContentComponent* calendar = FindComponent(parse.nodes, "VCALENDAR");
    if (!calendar) {
        static const std::string notCalendar = Ui::tr("条目不是日历对象（没有 BEGIN:VCALENDAR）");
        return {notCalendar, {}, {}};
    }
    const ContentComponent* journal = FindComponent(calendar->nodes, "VJOURNAL");
    if (!journal) {
        static const std::string noJournal =
            Ui::tr("日历对象里没有 VJOURNAL（笔记），也许是日程或待办，没有读取");
        return {noJournal, {}, {}};
    }
    return JournalFields(*journal);
}

DavContactRead ReadCardItem(std::string_view text) {
    const ContentParse parse = ParseContentLines(text);
    if (!parse.error.empty()) {
        static const std::string unreadable = Ui::tr("名片条目读不了：");
        return {unreadable + parse.error, {}, {}};
    }
    const ContentComponent* card = FindComponent(parse.nodes, "VCARD");
    if (!card) {
        static const std::string notCard = Ui::tr("条目不是名片（没有 BEGIN:VCARD），没有读取");
        return {notCard, {}, {}};
    }
    return CardFields(*card);
}

}  // namespace korvane
