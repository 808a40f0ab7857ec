#include "logic/syncengine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "exchange/davitems.h"
#include "exchange/davxml.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "store/dailybackup.h"
#include "store/keeping.h"
#include "store/sqlitelayer.h"
#include "store/syncstate.h"

namespace korvane {
namespace {

// What ends a pass early: thrown inside the pass, caught by RunSync.
struct PassStop {
    SyncStatus status;
    std::string detail;
};

constexpr int kRedirects = 5;
constexpr size_t kMultigetBatch = 200;
constexpr int kUploadRounds = 3;
// Listings of one collection in a pass: the first, and one after each round
// of uploads.
constexpr int kListings = 3;
// Uploads recorded in the notebook together.
constexpr size_t kRecordBatch = 200;
// A mass delete: more than half of a kind's records, and more than this many.
constexpr int64_t kMassDeleteFloor = 10;

struct Collection {
    DavCollectionKind dav;
    RecordKind kind;
    const char* key;          // names its values in kv_sync_state
    const char* displayName;  // UTF-8
    const char* folder;       // the path made under the home set
    const char* extension;
    const char* contentType;
    std::string url;
};

Collection NotesCollection() {
    return {DavCollectionKind::Journal,
            RecordKind::Note,
            "notes",
            "Korvane 记事",
            "korvane-notes/",
            ".ics",
            "text/calendar; charset=utf-8",
            {}};
}

Collection ContactsCollection() {
    return {DavCollectionKind::AddressBook,
            RecordKind::Contact,
            "contacts",
            "Korvane 联系人",
            "korvane-contacts/",
            ".vcf",
            "text/vcard; charset=utf-8",
            {}};
}

std::string NewUid() {
    std::random_device device;
    std::mt19937_64 random((uint64_t{device()} << 32) ^ device());
    const uint64_t high = (random() & ~uint64_t{0xF000}) | 0x4000;  // version 4
    const uint64_t low = (random() & ~(uint64_t{3} << 62)) | (uint64_t{2} << 62);
    char text[40];
    std::snprintf(text, sizeof text, "%08x-%04x-%04x-%04x-%012llx",
                  static_cast<unsigned>(high >> 32), static_cast<unsigned>((high >> 16) & 0xFFFF),
                  static_cast<unsigned>(high & 0xFFFF), static_cast<unsigned>(low >> 48),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
    return text;
}

bool Success(int status) {
    return status >= 200 && status < 300;
}

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The fields a record shares with its item, for comparing the two.
struct Fields {
    std::string title, content, tel, date;
    bool operator==(const Fields&) const = default;
};

Fields FieldsOf(const LocalRecord& r) {
    return {r.title, r.content, r.tel, r.date};
}

// An item of the server read into a record's fields.
struct ServerItem {
    std::string href;
    std::string etag;
    std::string text;
    std::string uid;
    Fields fields;
    bool ok = false;
};

ServerItem ReadItem(RecordKind kind, std::string href, std::string etag, std::string text) {
    ServerItem item{std::move(href), std::move(etag), std::move(text), {}, {}, false};
    if (kind == RecordKind::Note) {
        DavNoteRead read = ReadJournalItem(item.text);
        if (!read.error.empty()) return item;
        item.uid = std::move(read.uid);
        item.fields = {read.note.title, read.note.body, {}, read.note.date};
    } else {
        DavContactRead read = ReadCardItem(item.text);
        if (!read.error.empty()) return item;
        item.uid = std::move(read.uid);
        item.fields = {read.contact.name, read.contact.remark, read.contact.tel, read.contact.date};
    }
    item.ok = !item.uid.empty();
    return item;
}

std::string ItemText(RecordKind kind, const Fields& f, const std::string& uid,
                     const std::string& serverCopy) {
    if (kind == RecordKind::Note)
        return WriteJournalItem({0, f.title, f.content, f.date}, uid, serverCopy);
    return WriteCardItem({0, f.title, f.tel, f.content, f.date}, uid, serverCopy);
}

std::string ConflictTitle(const std::string& title) {
    return title + Cp("（来自其他设备）");
}

class Pass {
  public:
    Pass(const SyncAccount& account, HttpClient& client, const StoreExecutor& store,
         const SyncOptions& options, SyncReport& report)
        : account_(account), client_(client), store_(store), options_(options), report_(report) {}

    void Run() {
        if (account_.url.empty() || account_.user.empty())
            throw PassStop{SyncStatus::NotConfigured, {}};
        OnStore([] { Check(MakeSyncTables()); });
        Collection notes = NotesCollection();
        Collection contacts = ContactsCollection();
        FindCollections(notes, contacts);
        SyncCollection(notes);
        SyncCollection(contacts);
    }

  private:
    // Runs `work` through the store executor; a failure of the notebook
    // inside it ends the pass.
    template <typename Work>
    void OnStore(Work&& work) {
        std::optional<PassStop> stop;
        store_([&] {
            try {
                work();
            } catch (const PassStop& s) {
                stop = s;
            } catch (const std::exception& e) {
                stop = PassStop{SyncStatus::StoreFailed, e.what()};
            }
        });
        if (stop) throw *stop;
    }

    static void Check(const StoreResult& result) {
        if (!result.Ok()) throw PassStop{SyncStatus::StoreFailed, result.detail};
    }

    void CheckCancelled() const {
        if (options_.cancelled && options_.cancelled()) throw PassStop{SyncStatus::Cancelled, {}};
    }

    // --- HTTP -----------------------------------------------------------

    HttpResponse Send(const std::string& method, const std::string& url, const std::string& body,
                      std::vector<std::pair<std::string, std::string>> headers = {}) {
        CheckCancelled();
        std::string target = url;
        for (int hop = 0;; ++hop) {
            HttpRequest request{method, target, headers, body};
            if (!body.empty() && method != "PUT")
                request.headers.emplace_back("Content-Type", "application/xml; charset=utf-8");
            ++report_.requests;
            HttpResponse response = client_.Send(request);
            StopOnFailure(response, method, target);
            if (!IsRedirect(response.status) || response.location.empty() || hop == kRedirects)
                return response;
            target = ResolveDavUrl(target, response.location);
        }
    }

    static void StopOnFailure(const HttpResponse& r, const std::string& method,
                              const std::string& url) {
        const std::string where = Cp(method + " ") + platform::ToCodePage(url);
        using F = HttpResponse::Failure;
        switch (r.failure) {
            case F::None:
                break;
            case F::Unreachable:
                throw PassStop{SyncStatus::Unreachable, platform::ToCodePage(r.detail)};
            case F::TimedOut:
                throw PassStop{SyncStatus::TimedOut, where};
            case F::Certificate:
                throw PassStop{SyncStatus::Certificate, platform::ToCodePage(r.detail)};
            case F::PlainRefused:
                throw PassStop{SyncStatus::PlainRefused, platform::ToCodePage(url)};
            case F::Cancelled:
                throw PassStop{SyncStatus::Cancelled, {}};
        }
        if (r.status == 401) throw PassStop{SyncStatus::PasswordRefused, {}};
        if (r.status == 403) throw PassStop{SyncStatus::Forbidden, where};
        if (r.status == 507) throw PassStop{SyncStatus::ServerFull, where};
        if (r.status >= 500) throw PassStop{SyncStatus::ServerFailed, Answered(r.status, where)};
    }

    static std::string Answered(int status, const std::string& where) {
        return Ui::tr("服务器回答 ") + std::to_string(status) + Ui::tr("：") + where;
    }

    [[noreturn]] static void Unexpected(const HttpResponse& r, const std::string& method,
                                        const std::string& url) {
        throw PassStop{SyncStatus::ServerFailed,
                       Answered(r.status, Cp(method + " ") + platform::ToCodePage(url))};
    }

    Multistatus Propfind(const std::string& url, const std::string& depth,
                         const std::string& body) {
        const HttpResponse r = Send("PROPFIND", url, body, {{"Depth", depth}});
        if (r.status != 207) return {{}, {}, "no multistatus"};
        return ReadMultistatus(r.body);
    }

    // --- Finding the collections -----------------------------------------

    std::string AccountKey() const { return account_.url + "\n" + account_.user; }

    void FindCollections(Collection& notes, Collection& contacts) {
        std::string account, notesUrl, contactsUrl;
        OnStore([&] {
            account = ReadSyncValue("account");
            notesUrl = ReadSyncValue("notes_url");
            contactsUrl = ReadSyncValue("contacts_url");
        });
        if (account == AccountKey() && !notesUrl.empty() && !contactsUrl.empty()) {
            notes.url = notesUrl;
            contacts.url = contactsUrl;
            return;
        }
        if (account != AccountKey()) BackUpFirst();
        Discover(notes, contacts);
        OnStore([&] {
            std::vector<SqlStatement> statements;
            // A collection at another place (another server or account): what
            // the notebook knew of the old one says nothing of the new one, so
            // every record goes up again, keeping its UID, which matches it
            // where it is there already. The same collection reached by
            // another address keeps all it knew, so nothing goes up twice.
            for (const Collection* c : {&notes, &contacts}) {
                const std::string known = ReadSyncValue(std::string(c->key) + "_url");
                if (known == c->url) continue;
                statements.push_back(UnplaceSyncItems(c->kind));
                statements.push_back(WriteSyncValue(std::string(c->key) + "_token", {}));
            }
            statements.push_back(WriteSyncValue("account", AccountKey()));
            statements.push_back(WriteSyncValue("notes_url", notes.url));
            statements.push_back(WriteSyncValue("contacts_url", contacts.url));
            Check(RunStatementsAtOnce(statements));
        });
    }

    void BackUpFirst() {
        using Outcome = DailyBackup::Outcome;
        const Outcome outcome = DailyBackup::ForNotebook().Run(std::chrono::system_clock::now());
        if (outcome == Outcome::Written || outcome == Outcome::AlreadyDone ||
            outcome == Outcome::Skipped)
            return;
        throw PassStop{SyncStatus::StoreFailed, Ui::tr("第一次同步前无法做备份，什么都没有改。")};
    }

    // The principal: from the address given, else from the well-known
    // address of the server.
    std::string FindPrincipal() {
        const std::string given = account_.url;
        for (const std::string& url : {given, ResolveDavUrl(given, "/.well-known/caldav"),
                                       ResolveDavUrl(given, "/.well-known/carddav")}) {
            const Multistatus found = Propfind(url, "0", PropfindPrincipalBody());
            for (const DavResponse& r : found.responses)
                if (!r.principal.empty()) return ResolveDavUrl(url, r.principal);
        }
        return given;
    }

    void Discover(Collection& notes, Collection& contacts) {
        const std::string principal = FindPrincipal();
        std::string calendarHome = principal;
        std::string addressHome = principal;
        for (const DavResponse& r : Propfind(principal, "0", PropfindHomesBody()).responses) {
            if (!r.calendarHome.empty()) calendarHome = ResolveDavUrl(principal, r.calendarHome);
            if (!r.addressHome.empty()) addressHome = ResolveDavUrl(principal, r.addressHome);
        }
        notes.url = FindOrMake(notes, calendarHome);
        contacts.url = FindOrMake(contacts, addressHome);
    }

    std::string FindOrMake(const Collection& c, const std::string& home) {
        const Multistatus listing = Propfind(home, "1", PropfindCollectionsBody());
        for (const DavResponse& r : listing.responses) {
            const bool fits =
                c.dav == DavCollectionKind::Journal ? r.calendar && r.journal : r.addressBook;
            const std::string path = DavUrlPath(ResolveDavUrl(home, r.href));
            const bool ours =
                r.displayName == c.displayName || path.ends_with(std::string("/") + c.folder);
            if (fits && ours) return ResolveDavUrl(home, r.href);
        }
        if (!options_.createCollections) throw PassStop{SyncStatus::NoCollections, {}};
        return Make(c, home);
    }

    std::string Make(const Collection& c, const std::string& home) {
        std::string base = home;
        if (!base.ends_with('/')) base += '/';
        const std::string url = ResolveDavUrl(base, c.folder);
        HttpResponse made = Send("MKCOL", url, MkcolBody(c.dav, c.displayName));
        if (!Success(made.status) && c.dav == DavCollectionKind::Journal)
            made = Send("MKCALENDAR", url, MkcalendarBody(c.displayName));
        if (!Success(made.status)) Unexpected(made, "MKCOL", url);
        report_.createdCollections = true;
        return url;
    }

    static std::string MkcalendarBody(const std::string& displayName) {
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
               "<c:mkcalendar xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
               "<d:set><d:prop><d:displayname>" +
               displayName +
               "</d:displayname><c:supported-calendar-component-set><c:comp name=\"VJOURNAL\"/>"
               "</c:supported-calendar-component-set></d:prop></d:set></c:mkcalendar>\n";
    }

    // --- One collection ----------------------------------------------------

    // What the server changed: members to fetch, and hrefs gone.
    struct ServerChanges {
        std::vector<std::string> fetch;
        std::vector<std::string> gone;
        std::string token;
        bool whole = false;  // a full listing: members missing from it are gone
    };

    // Brings the server's changes here and sends this notebook's. After a
    // pass that changed the server, its changes are asked for once more, so
    // the token kept is one taken after the uploads: a server that answers
    // with the difference between two states would otherwise never name an
    // item uploaded here and deleted elsewhere before the next pass.
    void SyncCollection(Collection& c) {
        for (int listing = 0; listing < kListings; ++listing) {
            ServerChanges changes = ListChanges(c);
            ApplyServerChanges(c, changes.fetch, changes.gone, changes.token, true);
            const int sent = report_.uploaded + report_.deletedThere;
            for (int round = 0; round < kUploadRounds; ++round) {
                std::vector<std::string> refetch = Upload(c);
                if (refetch.empty()) break;
                ApplyServerChanges(c, refetch, {}, {}, false);
            }
            if (report_.uploaded + report_.deletedThere == sent) return;
        }
    }

    std::string TokenKey(const Collection& c) const { return std::string(c.key) + "_token"; }

    ServerChanges ListChanges(const Collection& c) {
        std::string token;
        OnStore([&] { token = ReadSyncValue(TokenKey(c)); });
        ServerChanges changes;
        std::optional<Multistatus> listing = ReportChanges(c, token);
        if (!listing && !token.empty()) listing = ReportChanges(c, {});  // the token expired
        if (listing) {
            changes.token = listing->syncToken;
            changes.whole = token.empty() || changes.token.empty();
        } else {
            listing = Propfind(c.url, "1", PropfindEtagsBody());
            if (!listing->error.empty())
                throw PassStop{SyncStatus::ServerFailed,
                               Ui::tr("无法列出 ") + platform::ToCodePage(c.url)};
            changes.whole = true;
        }
        const std::string self = DavUrlPath(c.url);
        std::map<std::string, std::string> listed;  // path -> etag
        for (const DavResponse& r : listing->responses) {
            const std::string path = DavUrlPath(ResolveDavUrl(c.url, r.href));
            if (path == self || path.ends_with('/')) continue;
            if (r.status == 404)
                changes.gone.push_back(path);
            else
                listed[path] = r.etag;
        }
        // What the notebook knows of the members listed (of all, for a
        // whole listing): a pass with few changes reads few items.
        std::map<std::string, std::string> known;  // path -> etag, of uploads that landed
        OnStore([&] {
            if (changes.whole) {
                for (const SyncItem& item : ReadSyncItems(c.kind))
                    if (!item.href.empty()) known[item.href] = item.etag;
                return;
            }
            SyncItem item;
            for (const auto& entry : listed)
                if (FindSyncItem(c.kind, {}, entry.first, item)) known[item.href] = item.etag;
        });
        for (const auto& [path, etag] : listed) {
            const auto at = known.find(path);
            if (at == known.end() || at->second.empty() || at->second != etag)
                changes.fetch.push_back(path);
        }
        if (!changes.whole) return changes;
        // A whole listing that suddenly holds nothing where there were items
        // is a fault of the server or of the way there, never a user's wish.
        const bool hadItems = std::any_of(known.begin(), known.end(),
                                          [](const auto& entry) { return !entry.second.empty(); });
        if (listed.empty() && hadItems)
            throw PassStop{SyncStatus::EmptyListing, platform::ToCodePage(c.url)};
        for (const auto& [path, etag] : known)
            if (!etag.empty() && !listed.contains(path)) changes.gone.push_back(path);
        return changes;
    }

    // The sync-collection answer, or nothing when the server has no such
    // report or refused the token.
    std::optional<Multistatus> ReportChanges(const Collection& c, const std::string& token) {
        const HttpResponse r = Send("REPORT", c.url, SyncCollectionBody(token), {{"Depth", "0"}});
        if (r.status == 404) {
            // The collection is gone: find it (or make it) again next time,
            // and delete nothing now.
            OnStore([&] {
                Check(RunStatementsAtOnce({WriteSyncValue(std::string(c.key) + "_url", {})}));
            });
            throw PassStop{SyncStatus::ServerFailed,
                           Ui::tr("服务器上找不到集合 ") + platform::ToCodePage(c.url)};
        }
        if (r.status != 207) return std::nullopt;
        Multistatus m = ReadMultistatus(r.body);
        if (!m.error.empty()) Unexpected(r, "REPORT", c.url);
        return m;
    }

    // The members at `paths`; those gone meanwhile are added to `gone`.
    std::vector<ServerItem> Fetch(const Collection& c, const std::vector<std::string>& paths,
                                  std::vector<std::string>& gone) {
        std::vector<ServerItem> items;
        for (size_t start = 0; start < paths.size(); start += kMultigetBatch) {
            const std::vector<std::string> batch(
                paths.begin() + start,
                paths.begin() + std::min(paths.size(), start + kMultigetBatch));
            const HttpResponse r =
                Send("REPORT", c.url, MultigetBody(c.dav, batch), {{"Depth", "1"}});
            const Multistatus m = r.status == 207 ? ReadMultistatus(r.body) : Multistatus{};
            std::set<std::string> got;
            for (const DavResponse& d : m.responses) {
                if (d.data.empty()) continue;
                const std::string path = DavUrlPath(ResolveDavUrl(c.url, d.href));
                got.insert(path);
                items.push_back(ReadItem(c.kind, path, d.etag, d.data));
            }
            // What the multiget left out is fetched alone.
            for (const std::string& path : batch)
                if (!got.contains(path)) Get(c, path, items, gone);
        }
        return items;
    }

    void Get(const Collection& c, const std::string& path, std::vector<ServerItem>& items,
             std::vector<std::string>& gone) {
        const std::string url = ResolveDavUrl(c.url, path);
        const HttpResponse r = Send("GET", url, {});
        if (r.status == 404) {
            gone.push_back(path);
            return;
        }
        if (!Success(r.status)) Unexpected(r, "GET", url);
        items.push_back(ReadItem(c.kind, path, r.etag, r.body));
    }

    // Applies what the server changed, in one transaction with the new token.
    void ApplyServerChanges(const Collection& c, const std::vector<std::string>& fetch,
                            std::vector<std::string> gone, const std::string& token,
                            bool withToken) {
        const std::vector<ServerItem> items = Fetch(c, fetch, gone);
        OnStore([&] {
            Applier applier(c);
            for (const ServerItem& item : items)
                if (item.ok) applier.Changed(item);
            for (const std::string& path : gone) applier.Gone(path);
            if (applier.deletes > kMassDeleteFloor && !options_.confirmMassDelete &&
                applier.deletes * 2 > CountOfKind(c.kind)) {
                report_.massDelete = applier.deletes;
                throw PassStop{SyncStatus::MassDelete, {}};
            }
            if (withToken) applier.change.push_back(WriteSyncValue(TokenKey(c), token));
            Check(RunKeeping(kTrashTable, std::move(applier.keep), applier.change));
            report_.downloaded += applier.downloaded;
            report_.deletedHere += static_cast<int>(applier.deletes);
            report_.conflicts += applier.conflicts;
        });
    }

    // Decides, with the notebook as it is now, what each server change does
    // here; collects the statements.
    struct Applier {
        explicit Applier(const Collection& collection) : c(collection) {}

        const Collection& c;
        std::vector<SqlStatement> keep;    // trash copies
        std::vector<SqlStatement> change;  // everything else
        int64_t deletes = 0;
        int downloaded = 0;
        int conflicts = 0;
        int64_t now = UnixNow();

        SyncItem ItemFor(const ServerItem& s, int64_t id) const {
            return {id, c.kind, s.uid, s.href, s.etag, s.text, s.fields.date, {}};
        }

        LocalRecord RecordOf(const Fields& f, int64_t id = 0) const {
            LocalRecord r;
            r.id = id;
            r.kind = c.kind;
            r.title = f.title;
            r.content = f.content;
            r.tel = f.tel;
            r.date = f.date;
            return r;
        }

        // True when the server's item is this notebook's own upload that
        // landed without being recorded.
        bool Sent(const SyncItem& known, const ServerItem& s) const {
            if (known.sentCopy.empty()) return false;
            const Fields sent = ReadItem(c.kind, {}, {}, known.sentCopy).fields;
            return sent.title == s.fields.title && sent.content == s.fields.content &&
                   sent.tel == s.fields.tel;
        }

        static bool ChangedHere(const LocalRecord& r) {
            return r.journalSeq != 0 || r.item.localDate != r.date || r.item.etag.empty();
        }

        void Changed(const ServerItem& s) {
            SyncItem known;
            if (!FindSyncItem(c.kind, s.uid, s.href, known)) {
                append(InsertFromServer(RecordOf(s.fields), ItemFor(s, 0)));
                ++downloaded;
                return;
            }
            const bool ownUpload = known.etag.empty() || Sent(known, s);
            const std::vector<LocalRecord> here = ReadLocalRecords({known.id});
            if (here.empty() && ownUpload) {
                // Deleted here after an upload that landed unrecorded: the
                // delete goes on, against the server's copy as it now is.
                SyncItem item = ItemFor(s, known.id);
                item.localDate = known.localDate;
                change.push_back(PutSyncItem(item));
                return;
            }
            if (here.empty()) {
                // Deleted here, changed there: the changed record comes back.
                change.push_back(ForgetSyncItem(known.id));
                append(InsertFromServer(RecordOf(s.fields), ItemFor(s, 0)));
                ++downloaded;
                return;
            }
            const LocalRecord& r = here.front();
            SyncItem item = ItemFor(s, r.id);
            if (!ChangedHere(r)) {
                append(UpdateFromServer(RecordOf(s.fields, r.id), item));
                ++downloaded;
                return;
            }
            // Changed on both sides (or our own upload not yet recorded): the
            // record here stays and goes up over the server's version, which
            // is kept as a record of its own unless the two agree.
            item.localDate = r.item.localDate;
            change.push_back(PutSyncItem(item));
            const bool same =
                s.fields.title == r.title && s.fields.content == r.content && s.fields.tel == r.tel;
            if (same || ownUpload) return;
            Fields copy = s.fields;
            copy.title = ConflictTitle(copy.title);
            append(InsertFromServer(RecordOf(copy), SyncItem{}));
            ++conflicts;
        }

        void Gone(const std::string& path) {
            SyncItem known;
            if (!FindSyncItem(c.kind, {}, path, known)) return;
            const std::vector<LocalRecord> here = ReadLocalRecords({known.id});
            if (here.empty()) {
                change.push_back(ForgetSyncItem(known.id));
                return;
            }
            if (ChangedHere(here.front())) {
                // Changed here, deleted there: it goes up again as new.
                known.href.clear();
                known.etag.clear();
                known.serverCopy.clear();
                change.push_back(PutSyncItem(known));
                return;
            }
            for (SqlStatement& s : TrashCopy(known.id, now)) keep.push_back(std::move(s));
            change.push_back(RemoveRecord(known.id));
            change.push_back(ForgetSyncItem(known.id));
            ++deletes;
        }

        void append(std::vector<SqlStatement> statements) {
            for (SqlStatement& s : statements) change.push_back(std::move(s));
        }
    };

    // Sends what changed here; returns the members to fetch again because
    // the server's copy changed under the upload.
    std::vector<std::string> Upload(const Collection& c) {
        std::vector<LocalRecord> changed;
        std::vector<SyncItem> deleted;
        OnStore([&] {
            changed = ReadLocalChanges(c.kind);
            deleted = ReadLocalDeletes(c.kind);
        });
        std::vector<std::string> texts = PrepareUploads(c, changed);
        std::vector<std::string> refetch;
        try {
            for (const SyncItem& item : deleted) Delete(c, item, refetch);
            for (size_t i = 0; i < changed.size(); ++i) {
                Put(c, changed[i], std::move(texts[i]), refetch);
                if (sent_.size() >= kRecordBatch) RecordSent();
            }
        } catch (const PassStop&) {
            RecordSent();  // what landed before the stop is known next time
            throw;
        }
        RecordSent();
        return refetch;
    }

    // The text each changed record goes up as. Before any upload, in one
    // transaction, a record not yet on the server gets its UID and place,
    // and every text on its way is kept, so that an upload that lands
    // without being recorded is known as this notebook's own next time.
    std::vector<std::string> PrepareUploads(const Collection& c,
                                            std::vector<LocalRecord>& changed) {
        std::vector<std::string> texts;
        std::vector<SqlStatement> statements;
        for (LocalRecord& r : changed) {
            if (!r.hasItem) r.item = SyncItem{r.id, c.kind, NewUid(), {}, {}, {}, {}, {}};
            r.hasItem = true;
            if (r.item.href.empty()) {
                r.item.href = DavUrlPath(ResolveDavUrl(c.url, r.item.uid + c.extension));
                r.item.etag.clear();
            }
            texts.push_back(ItemText(c.kind, FieldsOf(r), r.item.uid, r.item.serverCopy));
            if (!r.item.etag.empty() && texts.back() == r.item.serverCopy) continue;
            r.item.sentCopy = texts.back();
            statements.push_back(PutSyncItem(r.item));
        }
        if (!statements.empty()) OnStore([&] { Check(RunStatementsAtOnce(statements)); });
        return texts;
    }

    void Delete(const Collection& c, const SyncItem& item, std::vector<std::string>& refetch) {
        if (!item.href.empty()) {
            const std::string url = ResolveDavUrl(c.url, item.href);
            std::vector<std::pair<std::string, std::string>> headers;
            if (!item.etag.empty()) headers.emplace_back("If-Match", item.etag);
            const HttpResponse r = Send("DELETE", url, {}, headers);
            if (r.status == 412) {
                // Changed there since: fetched again, it comes back here.
                refetch.push_back(DavUrlPath(url));
                return;
            }
            if (!Success(r.status) && r.status != 404) Unexpected(r, "DELETE", url);
            if (Success(r.status)) ++report_.deletedThere;
        }
        OnStore([&] { Check(RunStatementsAtOnce({ForgetSyncItem(item.id)})); });
    }

    void Put(const Collection& c, const LocalRecord& r, std::string text,
             std::vector<std::string>& refetch) {
        SyncItem item = r.item;
        item.sentCopy.clear();
        if (!item.etag.empty() && text == item.serverCopy) {
            sent_.push_back({r, item});  // nothing the server does not have already
            return;
        }
        const std::string url = ResolveDavUrl(c.url, item.href);
        std::vector<std::pair<std::string, std::string>> headers{{"Content-Type", c.contentType}};
        if (item.etag.empty())
            headers.emplace_back("If-None-Match", "*");
        else
            headers.emplace_back("If-Match", item.etag);
        const HttpResponse put = Send("PUT", url, text, headers);
        if (put.status == 412) {
            refetch.push_back(item.href);
            return;
        }
        if (put.status == 404 && !item.etag.empty()) {
            // Deleted there while it changed here: it goes up again as new.
            LocalRecord again = r;
            again.item.etag.clear();
            again.item.serverCopy.clear();
            OnStore([&] { Check(RunStatementsAtOnce({PutSyncItem(again.item)})); });
            Put(c, again, std::move(text), refetch);
            return;
        }
        if (!Success(put.status)) Unexpected(put, "PUT", url);
        item.etag = put.etag;
        item.serverCopy = text;
        sent_.push_back({r, item});
        ++report_.uploaded;
    }

    // Records what was sent as in step with the records as they were read;
    // a record changed here meanwhile keeps its journal mark (and is not in
    // step), so it goes up again.
    void RecordSent() {
        if (sent_.empty()) return;
        const std::vector<Sent> batch = std::move(sent_);
        sent_.clear();
        OnStore([&] {
            std::vector<SqlStatement> statements;
            for (const Sent& s : batch) {
                const std::vector<LocalRecord> now = ReadLocalRecords({s.record.id});
                if (now.empty()) continue;  // deleted meanwhile: the next pass sends that
                SyncItem item = s.item;
                item.localDate = now.front().date == s.record.date ? s.record.date : std::string();
                statements.push_back(PutSyncItem(item));
                statements.push_back(ClearJournalMark(s.record.id, s.record.journalSeq));
            }
            if (!statements.empty()) Check(RunStatementsAtOnce(statements));
        });
    }

    // An upload's outcome, recorded with others in one transaction.
    struct Sent {
        LocalRecord record;
        SyncItem item;
    };
    std::vector<Sent> sent_;

    const SyncAccount& account_;
    HttpClient& client_;
    const StoreExecutor& store_;
    const SyncOptions& options_;
    SyncReport& report_;
};

}  // namespace

SyncReport RunSync(const SyncAccount& account, HttpClient& client, const StoreExecutor& store,
                   const SyncOptions& options) {
    SyncReport report;
    try {
        Pass(account, client, store, options, report).Run();
    } catch (const PassStop& stop) {
        report.status = stop.status;
        report.detail = stop.detail;
    }
    return report;
}

std::string SyncReportText(const SyncReport& r) {
    std::string text;
    switch (r.status) {
        case SyncStatus::Done: {
            if (r.uploaded + r.downloaded + r.deletedHere + r.deletedThere + r.conflicts == 0)
                return Ui::tr("同步完成，没有变化");
            text = Ui::tr("同步完成：上传 ") + std::to_string(r.uploaded) + Ui::tr("，下载 ") +
                   std::to_string(r.downloaded);
            if (r.deletedHere) text += Ui::tr("，本机删除 ") + std::to_string(r.deletedHere);
            if (r.deletedThere) text += Ui::tr("，服务器删除 ") + std::to_string(r.deletedThere);
            if (r.conflicts)
                text += Ui::tr("，") + std::to_string(r.conflicts) + Ui::tr(" 处冲突已保留两份");
            return text;
        }
        case SyncStatus::NotConfigured:
            text = Ui::tr("还没有设置同步帐户");
            break;
        case SyncStatus::PasswordRefused:
            text = Ui::tr("服务器拒绝了密码");
            break;
        case SyncStatus::Forbidden:
            text = Ui::tr("服务器拒绝访问");
            break;
        case SyncStatus::Unreachable:
            text = Ui::tr("无法连接服务器");
            break;
        case SyncStatus::TimedOut:
            text = Ui::tr("服务器没有及时回答");
            break;
        case SyncStatus::Certificate:
            text = Ui::tr("服务器的证书不可信，没有连接");
            break;
        case SyncStatus::PlainRefused:
            text = Ui::tr("不加密的连接（http）只用于本机，除非在“同步…”中明确允许");
            break;
        case SyncStatus::ServerFailed:
            text = Ui::tr("服务器出错");
            break;
        case SyncStatus::ServerFull:
            text = Ui::tr("服务器空间已满");
            break;
        case SyncStatus::NoCollections:
            text = Ui::tr("服务器上还没有 Korvane 记事和联系人的集合");
            break;
        case SyncStatus::EmptyListing:
            text = Ui::tr("服务器的列表突然是空的，为了安全没有删除任何记录");
            break;
        case SyncStatus::MassDelete:
            text = Ui::tr("这次同步会删除本机 ") + std::to_string(r.massDelete) +
                   Ui::tr(" 条记录，已停下等待确认");
            break;
        case SyncStatus::StoreFailed:
            text = Ui::tr("记事本无法读写，同步没有完成");
            break;
        case SyncStatus::Cancelled:
            text = Ui::tr("同步已取消");
            break;
    }
    if (!r.detail.empty()) text += Ui::tr("（") + r.detail + Ui::tr("）");
    return text;
}

}  // namespace korvane
