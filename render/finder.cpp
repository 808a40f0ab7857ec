#include "render/finder.h"

#include <string.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string_view>
#include <utility>

#include "base/log.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "render/findtext.h"
#include "render/recordbox.h"
#include "store/keeping.h"
#include "store/listrows.h"

namespace korvane {
namespace {

// More changed records than this are read with the rest of the notebook.
constexpr size_t kMostReadAgain = 512;
// Between the fields of an entry: no query holds it, so none matches across.
constexpr char kFieldBreak = '\x1f';

void AppendField(std::string& text, const std::string& markup) {
    AppendShownText(text, platform::FromCodePage(markup));
}

FindIndex::Entry MakeEntry(const StoredRecord& record) {
    FindIndex::Entry entry;
    entry.kind = StateOf(record.kind);
    entry.id = record.number;
    entry.date = record.row.date;
    const ShownRecord shown = ShowRecord(entry.kind, record.row);
    AppendField(entry.text, shown.title);
    entry.text += kFieldBreak;
    if (entry.kind == 1) {  // a contact's telephone; a note's date is not searched
        AppendField(entry.text, shown.detail);
        entry.text += kFieldBreak;
    }
    AppendField(entry.text, shown.content);
    entry.squeezed = SqueezeDigitRuns(entry.text);
    return entry;
}

// List order: newest first, the higher record number first between equal dates.
bool Before(const FindIndex::Entry& a, const FindIndex::Entry& b) {
    if (a.date != b.date) return a.date > b.date;
    return a.id > b.id;
}

// Searches many texts for one query. The GNU C library's memmem reads many
// bytes a step for short needles, several times faster here than a
// Boyer-Moore search, which a one-byte needle makes read byte by byte; other
// C libraries (the Windows one has no memmem) use the standard search.
class Needle {
  public:
    explicit Needle(const std::string& query) : query_(query) {}
    bool In(const std::string& text) const {
#ifdef __GLIBC__
        return memmem(text.data(), text.size(), query_.data(), query_.size()) != nullptr;
#else
        return std::string_view(text).find(query_) != std::string_view::npos;
#endif
    }

  private:
    const std::string& query_;
};

// The index's entries read over a connection of the reader's own, in one
// read of the file.
std::vector<FindIndex::Entry> ReadEntries(const std::string& path) {
    const std::vector<StoredRecord> records = ReadAllRecordsApart(path);
    std::vector<FindIndex::Entry> entries;
    entries.reserve(records.size());
    for (const StoredRecord& record : records) entries.push_back(MakeEntry(record));
    return entries;
}

}  // namespace

FindIndex::~FindIndex() {
    if (prepared_ && prepared_->entries.valid()) prepared_->entries.wait();
}

void FindIndex::Prepare() {
    if (version_ || prepared_ || !NotebookIsOpen()) return;
    try {
        TakeRecordChanges();  // what changed before now is in what the reader reads
        Prepared prepared{{}, CurrentNotebookVersion(), OwnChanges()};
        prepared.entries = std::async(std::launch::async, ReadEntries, NotebookPath());
        prepared_ = std::move(prepared);
    } catch (const std::exception& e) {
        log::Warn(log::Area::Render, std::string("search index not prepared: ") + e.what());
    }
}

bool FindIndex::Preparing() const {
    return prepared_ && prepared_->entries.valid() &&
           prepared_->entries.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

void FindIndex::Release() {
    prepared_.reset();  // a read still running is waited for and dropped
    Changed();
    std::vector<Entry>().swap(entries_);
    version_.reset();
    last_.reset();
}

// Takes over a prepared read when the notebook is as it was when the read
// started: no commit by another connection, no write by this one, the same
// connection. A read that failed, or a changed notebook, leaves nothing.
bool FindIndex::TakePrepared() {
    Prepared prepared = std::move(*prepared_);
    prepared_.reset();
    try {
        std::vector<Entry> entries = prepared.entries.get();
        if (CurrentNotebookVersion() != prepared.version || OwnChanges() != prepared.ownChanges) {
            return false;
        }
        Changed();
        entries_ = std::move(entries);
        return true;
    } catch (const std::exception& e) {
        log::Warn(log::Area::Render, std::string("prepared search index dropped: ") + e.what());
        return false;
    }
}

void FindIndex::Sync() {
    if (prepared_ && TakePrepared()) {
        TakeRecordChanges();  // nothing this connection wrote since the read began
        version_ = CurrentNotebookVersion();
        return;
    }
    const NotebookVersion now = CurrentNotebookVersion();
    const RecordChanges changes = TakeRecordChanges();
    const bool whole =
        !version_ || *version_ != now || changes.all || changes.records.size() > kMostReadAgain;
    version_.reset();  // until the entries are in step again
    if (whole) {
        ReadWhole();
    } else if (!changes.records.empty()) {
        ReadAgain(changes.records);
    }
    version_ = now;
}

void FindIndex::ReadWhole() {
    Changed();
    entries_.clear();
    const std::vector<StoredRecord> records = ReadAllRecords();
    entries_.reserve(records.size());
    for (const StoredRecord& record : records) entries_.push_back(MakeEntry(record));
    ++wholeReads_;
}

void FindIndex::ReadAgain(const std::vector<int64_t>& records) {
    Changed();
    std::erase_if(entries_, [&](const Entry& e) {
        return std::binary_search(records.begin(), records.end(), e.id);
    });
    for (const StoredRecord& record : ReadRecordsByNumber(records)) {
        Entry entry = MakeEntry(record);
        const auto at = std::lower_bound(entries_.begin(), entries_.end(), entry, Before);
        entries_.insert(at, std::move(entry));
    }
}

void FindIndex::Changed() {
    ++generation_;
    last_.reset();
}

const std::vector<uint32_t>& FindIndex::Matches(const std::string& foldedQuery) {
    if (last_ && last_->generation == generation_ && last_->query == foldedQuery)
        return last_->matches;
    // A telephone query searches its digits in the texts without separators.
    const std::string digits = TelephoneDigits(foldedQuery);
    const bool telephone = !digits.empty();
    const std::string& key = telephone ? digits : foldedQuery;
    const Needle needle(key);
    const auto holds = [&](uint32_t i) {
        return needle.In(telephone ? entries_[i].Digits() : entries_[i].text);
    };
    std::vector<uint32_t> found;
    const bool narrower = last_ && last_->generation == generation_ && !last_->key.empty() &&
                          last_->telephone == telephone &&
                          key.find(last_->key) != std::string::npos;
    if (narrower) {
        for (uint32_t i : last_->matches) {
            if (holds(i)) found.push_back(i);
        }
    } else {
        for (uint32_t i = 0; i < entries_.size(); ++i) {
            if (holds(i)) found.push_back(i);
        }
    }
    last_ = Answer{generation_, foldedQuery, key, telephone, std::move(found)};
    return last_->matches;
}

namespace {

std::string FoundHeader(size_t count) {
    static const std::string none = Ui::tr("没有找到匹配的记事或联系人");
    static const std::string found = Ui::tr("找到 %1 项");
    if (count == 0) return none;
    return "<span class=\"TlNo\">" + UiArgs(found, {std::to_string(count)}) + "</span>";
}

// Marks a field's matches within what is left of the record's marks.
std::string Marked(const std::string& markup, const std::string& foldedQuery, size_t& marksLeft,
                   size_t& matches) {
    MarkedMarkup marked = MarkMatches(platform::FromCodePage(markup), foldedQuery, marksLeft);
    marksLeft -= std::min(marksLeft, marked.matches);
    matches += marked.matches;
    return platform::ToCodePage(marked.markup);
}

// "12,345": the count the badge shows, grouped by thousands.
std::string Grouped(size_t n) {
    std::string digits = std::to_string(n);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    return digits;
}

// The badge, and how often the record matches when not every match is marked.
std::string BadgeOf(int kind, size_t matches) {
    if (matches <= kMarksPerRecord) return KindBadge(kind);
    static const std::string here = Ui::tr("此条共 %1 处");
    return KindBadge(kind) + "<span class=\"kd hits\">" + UiArgs(here, {Grouped(matches)}) +
           "</span>";
}

// A record's shown texts with their matches marked, and its badge.
ShownRecord MarkedRecord(int kind, const ListRow& row, const std::string& foldedQuery,
                         std::string& badge) {
    ShownRecord shown = ShowRecord(kind, row);
    size_t marksLeft = kMarksPerRecord;
    size_t matches = 0;
    shown.title = Marked(shown.title, foldedQuery, marksLeft, matches);
    if (kind == 1) shown.detail = Marked(shown.detail, foldedQuery, marksLeft, matches);
    shown.content = Marked(shown.content, foldedQuery, marksLeft, matches);
    badge = BadgeOf(kind, matches);
    return shown;
}

}  // namespace

std::string FoundBox(int kind, const ListRow& row, const std::string& foldedQuery, int ordinal) {
    std::string badge;
    const ShownRecord shown = MarkedRecord(kind, row, foldedQuery, badge);
    return RecordBox(kind, shown, ordinal, badge);
}

std::string FoundTrashBox(const TrashedRecord& record, const std::string& foldedQuery,
                          int ordinal) {
    const int kind = StateOf(record.kind);
    std::string badge;
    const ShownRecord shown = MarkedRecord(kind, record.row, foldedQuery, badge);
    return TrashBox(kind, shown, record.trashId, ordinal, badge);
}

namespace {

// The boxes of the matches [first, first + rows), read by record number.
void FillBoxes(ListWindow& window, const FindIndex& index, const std::vector<uint32_t>& matches,
               const std::string& foldedQuery, size_t rows) {
    std::map<int64_t, size_t> slots;  // record number -> place in the window
    std::vector<int64_t> numbers;
    for (size_t i = 0; i < rows; ++i) {
        const int64_t id = index.Entries()[matches[static_cast<size_t>(window.first) + i]].id;
        slots.emplace(id, i);
        numbers.push_back(id);
    }
    window.boxes.assign(rows, std::string());
    for (const StoredRecord& record : ReadRecordsByNumber(numbers)) {
        const auto slot = slots.find(record.number);
        if (slot == slots.end()) continue;
        const size_t at = slot->second;
        window.boxes[at] = FoundBox(StateOf(record.kind), record.row, foldedQuery,
                                    window.first + static_cast<int>(at) + 1);
    }
}

// Runs inside one read of the notebook (see ReadNotebookAtOnce).
void FillFound(ListWindow& window, FindIndex& index, const std::string& foldedQuery, int count) {
    index.Sync();
    static const std::vector<uint32_t> nothing;
    const std::vector<uint32_t>& matches =
        foldedQuery.empty() ? nothing : index.Matches(foldedQuery);
    window.total = static_cast<int>(std::min<size_t>(matches.size(), INT32_MAX));
    window.header = FoundHeader(matches.size());
    const int64_t rows = std::clamp<int64_t>(int64_t{window.total} - window.first, 0, count);
    if (rows > 0) FillBoxes(window, index, matches, foldedQuery, static_cast<size_t>(rows));
}

}  // namespace

namespace {

std::string FoundInTrashHeader(size_t count) {
    static const std::string none = Ui::tr("回收站中没有找到匹配的记录");
    static const std::string found = Ui::tr("回收站中找到 %1 项");
    if (count == 0) return none;
    return "<span class=\"TlNo\">" + UiArgs(found, {std::to_string(count)}) + "</span>";
}

// The trash read whole and searched as the index searches the list: the same
// shown fields, folded the same way. The trash holds a month of deletions,
// so it is read at each request rather than kept.
void FillFoundInTrash(ListWindow& window, const std::string& foldedQuery, int count) {
    std::vector<TrashedRecord> found;
    if (!foldedQuery.empty()) {
        const std::string digits = TelephoneDigits(foldedQuery);
        const Needle needle(digits.empty() ? foldedQuery : digits);
        for (TrashedRecord& record : ReadAllTrash()) {
            const StoredRecord stored{record.kind, 0, record.row};
            const FindIndex::Entry entry = MakeEntry(stored);
            if (needle.In(digits.empty() ? entry.text : entry.Digits())) {
                found.push_back(std::move(record));
            }
        }
    }
    window.total = static_cast<int>(std::min<size_t>(found.size(), INT32_MAX));
    window.header = FoundInTrashHeader(found.size());
    const int64_t rows = std::clamp<int64_t>(int64_t{window.total} - window.first, 0, count);
    for (int64_t i = 0; i < rows; ++i) {
        const int at = window.first + static_cast<int>(i);
        window.boxes.push_back(FoundTrashBox(found[static_cast<size_t>(at)], foldedQuery, at + 1));
    }
}

}  // namespace

ListWindow BuildFoundInTrashWindow(std::string_view query, int first, int count) {
    return BuildWindow(kTrashFoundKind, first, count, [&](ListWindow& window) {
        return ReadNotebookAtOnce([&] { FillFoundInTrash(window, FoldQuery(query), count); });
    });
}

ListWindow BuildFoundWindow(FindIndex& index, std::string_view query, int first, int count) {
    return BuildWindow(kFoundKind, first, count, [&](ListWindow& window) {
        return ReadNotebookAtOnce([&] { FillFound(window, index, FoldQuery(query), count); });
    });
}

}  // namespace korvane
