// The sync engine against a small in-memory CalDAV/CardDAV server: records
// go up and come back byte for byte, a pass with nothing changed asks one
// question per collection, both versions of a record changed on both sides
// survive, a delete loses to a change, and faults (refusals, an empty listing,
// a mass delete, an answer lost after the upload landed) lose nothing.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "logic/syncengine.h"
#include "platform/codepage.h"
#include "store/notebook.h"
#include "store/records.h"
#include "store/syncstate.h"
#include "support/notebook.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '&')
            out += "&amp;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

// A server with one principal /u/ whose home holds the collections. Each
// change is numbered; the sync token is the number of the last one.
class FakeDav : public HttpClient {
  public:
    struct Member {
        std::string text;
        int etag = 0;
        int changed = 0;  // the change that made or deleted it
        bool gone = false;
    };
    std::map<std::string, std::map<std::string, Member>> collections;  // path -> name -> member
    int version = 0;
    std::vector<std::string> log;  // "METHOD path" of every request
    int failNext = 0;              // answer the next request with this status
    bool loseAnswerAfterPut = false;
    bool emptyListings = false;

    HttpResponse Send(const HttpRequest& request) override {
        const size_t slash = request.url.find('/', 8);
        const std::string path = slash == std::string::npos ? "/" : request.url.substr(slash);
        log.push_back(request.method + " " + path);
        if (failNext != 0) {
            HttpResponse r;
            r.status = std::exchange(failNext, 0);
            return r;
        }
        if (request.method == "PROPFIND") return Propfind(path, request);
        if (request.method == "MKCOL") {
            collections[path];
            return {HttpResponse::Failure::None, {}, 201, {}, {}, {}};
        }
        if (request.method == "REPORT") return Report(path, request.body);
        const auto [collection, name] = Split(path);
        if (request.method == "PUT") return Put(collection, name, request);
        if (request.method == "DELETE") return Delete(collection, name, request);
        if (request.method == "GET") {
            const Member* m = Find(collection, name);
            if (m == nullptr) return Status(404);
            HttpResponse r = Status(200);
            r.body = m->text;
            r.etag = Etag(*m);
            return r;
        }
        return Status(405);
    }

    // The phone's side.
    void PhonePut(const std::string& collection, const std::string& name, const std::string& text) {
        Member& m = collections[collection][name];
        m = {text, ++version, version, false};
    }
    void PhoneDelete(const std::string& collection, const std::string& name) {
        Member& m = collections[collection][name];
        m.gone = true;
        m.changed = ++version;
    }
    std::vector<std::string> Live(const std::string& collection) const {
        std::vector<std::string> names;
        if (!collections.contains(collection)) return names;
        for (const auto& [name, m] : collections.at(collection))
            if (!m.gone) names.push_back(name);
        return names;
    }
    int Requests(const std::string& method) const {
        int n = 0;
        for (const std::string& line : log) n += line.starts_with(method + " ");
        return n;
    }

  private:
    static HttpResponse Status(int status) {
        HttpResponse r;
        r.status = status;
        return r;
    }
    static std::string Etag(const Member& m) { return "\"" + std::to_string(m.etag) + "\""; }
    static std::pair<std::string, std::string> Split(const std::string& path) {
        const size_t slash = path.rfind('/');
        return {path.substr(0, slash + 1), path.substr(slash + 1)};
    }
    Member* Find(const std::string& collection, const std::string& name) {
        auto c = collections.find(collection);
        if (c == collections.end()) return nullptr;
        auto m = c->second.find(name);
        return m == c->second.end() || m->second.gone ? nullptr : &m->second;
    }

    HttpResponse Multistatus(const std::string& inner, const std::string& token = {}) {
        HttpResponse r = Status(207);
        r.body =
            "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
            "xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
            "xmlns:cr=\"urn:ietf:params:xml:ns:carddav\">" +
            inner + (token.empty() ? "" : "<d:sync-token>" + token + "</d:sync-token>") +
            "</d:multistatus>";
        return r;
    }

    HttpResponse Propfind(const std::string& path, const HttpRequest& request) {
        const bool depth1 =
            request.headers.end() != std::find(request.headers.begin(), request.headers.end(),
                                               std::pair<std::string, std::string>("Depth", "1"));
        if (!depth1) {
            return Multistatus("<d:response><d:href>" + path +
                               "</d:href><d:propstat><d:prop><d:current-user-principal><d:href>/u/"
                               "</d:href></d:current-user-principal><c:calendar-home-set><d:href>"
                               "/u/</d:href></c:calendar-home-set><cr:addressbook-home-set><d:href>"
                               "/u/</d:href></cr:addressbook-home-set></d:prop><d:status>HTTP/1.1 "
                               "200 OK</d:status></d:propstat></d:response>");
        }
        std::string inner;
        for (const auto& [c, members] : collections) {
            const bool notes = c.find("notes") != std::string::npos;
            inner += "<d:response><d:href>" + c + "</d:href><d:propstat><d:prop><d:resourcetype>" +
                     "<d:collection/>" + (notes ? "<c:calendar/>" : "<cr:addressbook/>") +
                     "</d:resourcetype>" +
                     (notes ? "<c:supported-calendar-component-set><c:comp name=\"VJOURNAL\"/>"
                              "</c:supported-calendar-component-set>"
                            : "") +
                     "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
        }
        return Multistatus(inner);
    }

    HttpResponse Report(const std::string& collection, const std::string& body) {
        if (!collections.contains(collection)) return Status(404);
        std::string inner;
        if (body.find("sync-collection") != std::string::npos) {
            std::smatch token;
            const int since = std::regex_search(body, token, std::regex("<d:sync-token>(\\d+)<"))
                                  ? std::stoi(token[1])
                                  : -1;
            for (const auto& [name, m] : collections[collection]) {
                if (emptyListings || m.changed <= since || (since < 0 && m.gone)) continue;
                inner += "<d:response><d:href>" + collection + name + "</d:href>";
                inner += m.gone ? "<d:status>HTTP/1.1 404 Not Found</d:status>"
                                : "<d:propstat><d:prop><d:getetag>" + Etag(m) +
                                      "</d:getetag></d:prop><d:status>HTTP/1.1 200 "
                                      "OK</d:status></d:propstat>";
                inner += "</d:response>";
            }
            return Multistatus(inner, std::to_string(version));
        }
        const std::regex href("<d:href>([^<]*)</d:href>");
        for (auto it = std::sregex_iterator(body.begin(), body.end(), href);
             it != std::sregex_iterator(); ++it) {
            const auto [c, name] = Split((*it)[1]);
            const Member* m = Find(c, name);
            if (m == nullptr) continue;
            const bool notes = c.find("notes") != std::string::npos;
            const char* data = notes ? "c:calendar-data" : "cr:address-data";
            inner += "<d:response><d:href>" + c + name +
                     "</d:href><d:propstat><d:prop><d:getetag>" + Etag(*m) + "</d:getetag><" +
                     data + ">" + XmlEscaped(m->text) + "</" + data +
                     "></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
        }
        return Multistatus(inner);
    }

    static std::string Header(const HttpRequest& r, const std::string& name) {
        for (const auto& [n, v] : r.headers)
            if (n == name) return v;
        return {};
    }

    HttpResponse Put(const std::string& collection, const std::string& name,
                     const HttpRequest& request) {
        Member* m = Find(collection, name);
        const std::string ifMatch = Header(request, "If-Match");
        if (Header(request, "If-None-Match") == "*" && m != nullptr) return Status(412);
        if (!ifMatch.empty() && (m == nullptr || Etag(*m) != ifMatch)) return Status(412);
        PhonePut(collection, name, request.body);
        if (loseAnswerAfterPut) {
            loseAnswerAfterPut = false;
            HttpResponse lost;
            lost.failure = HttpResponse::Failure::Unreachable;
            return lost;
        }
        HttpResponse r = Status(m == nullptr ? 201 : 204);
        r.etag = Etag(collections[collection][name]);
        return r;
    }

    HttpResponse Delete(const std::string& collection, const std::string& name,
                        const HttpRequest& request) {
        Member* m = Find(collection, name);
        if (m == nullptr) return Status(404);
        const std::string ifMatch = Header(request, "If-Match");
        if (!ifMatch.empty() && Etag(*m) != ifMatch) return Status(412);
        PhoneDelete(collection, name);
        return Status(204);
    }
};

constexpr char kNotes[] = "/u/korvane-notes/";

class SyncEngine : public testing::Test {
  protected:
    SyncReport Sync(SyncOptions options = {}, const std::string& url = "http://dav.test/") {
        server_.log.clear();
        const StoreExecutor here = [](const std::function<void()>& work) { work(); };
        return RunSync({url, "zhang"}, server_, here, options);
    }
    static int64_t Add(RecordKind kind, const std::string& title, const std::string& body,
                       const std::string& tel = {}) {
        std::vector<RecordField> fields{{"title", title}, {"content", body}};
        if (kind == RecordKind::Contact) fields.push_back({"tel", tel});
        EXPECT_TRUE(SaveRecord(kind, 0, fields, "2026-12-09 10:00:00").Ok());
        return std::stoll(Rows("SELECT max(ID) FROM mylist")[0]);
    }
    static void Edit(int64_t id, const std::string& body, const std::string& time) {
        ASSERT_TRUE(
            SaveRecord(RecordKind::Note, static_cast<int>(id), {{"content", body}}, time).Ok());
    }
    static std::vector<std::string> Rows(const std::string& query) {
        std::vector<std::string> rows;
        auto t = Database()->OpenQuery(query);
        for (t->GoFirst(); !t->AtEnd(); t->GoNext()) rows.push_back(t->FieldText(0));
        return rows;
    }
    static std::vector<std::string> Contents() {
        return Rows("SELECT hex(title)||'|'||hex(content) FROM mylist WHERE state=0 ORDER BY 1");
    }
    // The only note's member on the server.
    std::string OnlyNote() const {
        const std::vector<std::string> live = server_.Live(kNotes);
        return live.size() == 1 ? live[0] : std::string();
    }
    void PhoneEditsNote(const std::string& name, const std::string& from, const std::string& to) {
        std::string text = server_.collections[kNotes][name].text;
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, from.size(), to);
        server_.PhonePut(kNotes, name, text);
    }

    test::AppFolder app_;
    FakeDav server_;
};

TEST_F(SyncEngine, RecordsGoUpAndComeBackToAnotherNotebookByteForByte) {
    // GBK, the euro byte, a four-byte GB18030 character and line breaks.
    Add(RecordKind::Note, Cp("周会 ") + "\x80", Cp("第一行") + "\r\n\x81\x30\x81\x30 {EM3EM}");
    Add(RecordKind::Contact, Cp("张三"), "{QQ12345QQ}", "138-0013-8000");
    const SyncReport first = Sync();
    ASSERT_EQ(first.status, SyncStatus::Done) << SyncReportText(first);
    EXPECT_TRUE(first.createdCollections);
    EXPECT_EQ(first.uploaded, 2);
    const std::vector<std::string> before = Rows(
        "SELECT hex(title)||hex(content)||hex(tel)||hex(cre_date)||state FROM mylist ORDER BY 1");

    // Another device: the same server, an empty notebook.
    ASSERT_EQ(ExecSql("DELETE FROM mylist"), "Done");
    ASSERT_EQ(ExecSql("DROP TABLE kv_sync_item"), "Done");
    ASSERT_EQ(ExecSql("DROP TABLE kv_sync_state"), "Done");
    const SyncReport second = Sync();
    ASSERT_EQ(second.status, SyncStatus::Done) << SyncReportText(second);
    EXPECT_EQ(second.downloaded, 2);
    EXPECT_EQ(Rows("SELECT hex(title)||hex(content)||hex(tel)||hex(cre_date)||state FROM mylist "
                   "ORDER BY 1"),
              before);
    EXPECT_EQ(server_.Live(kNotes).size(), 1u) << "nothing doubled";
}

TEST_F(SyncEngine, APassWithNothingChangedAsksOneQuestionPerCollection) {
    for (int i = 0; i < 30; ++i) Add(RecordKind::Note, "n" + std::to_string(i), "b");
    ASSERT_EQ(Sync().status, SyncStatus::Done);
    const SyncReport idle = Sync();
    ASSERT_EQ(idle.status, SyncStatus::Done);
    EXPECT_EQ(idle.requests, 2) << testing::PrintToString(server_.log);

    Edit(1, "changed", "2026-12-09 11:00:00");
    const SyncReport one = Sync();
    EXPECT_EQ(one.uploaded, 1);
    EXPECT_LE(one.requests, 4) << testing::PrintToString(server_.log);
}

TEST_F(SyncEngine, AChangeOnThePhoneArrivesAndTheRecordsOwnChangesKeepThePhonesLines) {
    const int64_t id = Add(RecordKind::Note, "t", "old");
    ASSERT_EQ(Sync().status, SyncStatus::Done);
    const std::string name = OnlyNote();
    PhoneEditsNote(name, "DESCRIPTION:old", "CATEGORIES:Work\r\nDESCRIPTION:from phone");
    ASSERT_EQ(Sync().downloaded, 1);
    EXPECT_EQ(Rows("SELECT content FROM mylist WHERE ID=" + std::to_string(id)),
              std::vector<std::string>{"from phone"});

    Edit(id, "from here", "2026-12-09 12:00:00");
    ASSERT_EQ(Sync().uploaded, 1);
    const std::string text = server_.collections[kNotes][name].text;
    EXPECT_NE(text.find("CATEGORIES:Work"), std::string::npos) << text;
    EXPECT_NE(text.find("DESCRIPTION:from here"), std::string::npos) << text;
}

// Each side's change between two passes, and what both sides hold after.
struct Conflict {
    const char* name;
    bool editHere, deleteHere, editThere, deleteThere;
    std::vector<std::string> contents;  // the notes' contents after, on both sides
};

class SyncConflicts : public SyncEngine, public testing::WithParamInterface<Conflict> {};

TEST_P(SyncConflicts, NothingIsLostAndBothSidesAgree) {
    const Conflict& c = GetParam();
    const int64_t id = Add(RecordKind::Note, "t", "base");
    ASSERT_EQ(Sync().status, SyncStatus::Done);
    const std::string name = OnlyNote();
    if (c.editHere) Edit(id, "here", "2026-12-09 13:00:00");
    if (c.deleteHere) {
        ASSERT_TRUE(DeleteRecord(RecordKind::Note, id).Ok());
    }
    if (c.editThere) PhoneEditsNote(name, "DESCRIPTION:base", "DESCRIPTION:there");
    if (c.deleteThere) server_.PhoneDelete(kNotes, name);

    const SyncReport r = Sync();
    ASSERT_EQ(r.status, SyncStatus::Done) << SyncReportText(r);
    std::vector<std::string> here =
        Rows("SELECT content FROM mylist WHERE state=0 ORDER BY content");
    EXPECT_EQ(here, c.contents);
    std::vector<std::string> there;
    for (const std::string& n : server_.Live(kNotes)) {
        const std::string& text = server_.collections[kNotes][n].text;
        const size_t at = text.find("DESCRIPTION:");
        there.push_back(text.substr(at + 12, text.find("\r\n", at) - at - 12));
    }
    std::sort(there.begin(), there.end());
    EXPECT_EQ(there, c.contents);
    // A second pass changes nothing more.
    const SyncReport again = Sync();
    EXPECT_EQ(again.uploaded + again.downloaded + again.deletedHere + again.deletedThere, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachPair, SyncConflicts,
    testing::Values(Conflict{"EditEdit", true, false, true, false, {"here", "there"}},
                    Conflict{"EditHereDeleteThere", true, false, false, true, {"here"}},
                    Conflict{"DeleteHereEditThere", false, true, true, false, {"there"}},
                    Conflict{"DeleteDelete", false, true, false, true, {}},
                    Conflict{"DeleteHere", false, true, false, false, {}},
                    Conflict{"DeleteThere", false, false, false, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SyncEngine, TheServersVersionOfAConflictIsTitledAsComingFromAnotherDevice) {
    const int64_t id = Add(RecordKind::Note, Cp("周会"), "base");
    ASSERT_EQ(Sync().status, SyncStatus::Done);
    Edit(id, "here", "2026-12-09 13:00:00");
    PhoneEditsNote(OnlyNote(), "DESCRIPTION:base", "DESCRIPTION:there");
    EXPECT_EQ(Sync().conflicts, 1);
    EXPECT_EQ(Rows("SELECT title FROM mylist WHERE content='there'"),
              std::vector<std::string>{Cp("周会（来自其他设备）")});
}

TEST_F(SyncEngine, RefusalsAndFaultsStopThePassAndChangeNothing) {
    for (int i = 0; i < 3; ++i) Add(RecordKind::Note, "n" + std::to_string(i), "b");
    ASSERT_EQ(Sync().status, SyncStatus::Done);
    const std::vector<std::string> before = Contents();
    const std::pair<int, SyncStatus> faults[] = {{401, SyncStatus::PasswordRefused},
                                                 {403, SyncStatus::Forbidden},
                                                 {500, SyncStatus::ServerFailed},
                                                 {507, SyncStatus::ServerFull}};
    for (const auto& [status, expected] : faults) {
        server_.failNext = status;
        const SyncReport r = Sync();
        EXPECT_EQ(r.status, expected) << status;
        EXPECT_FALSE(SyncReportText(r).empty());
        EXPECT_EQ(Contents(), before) << status;
    }
    SyncReport refused;
    refused.status = SyncStatus::PasswordRefused;
    EXPECT_EQ(platform::FromCodePage(SyncReportText(refused)), "服务器拒绝了密码");
    refused.status = SyncStatus::Unreachable;
    EXPECT_EQ(platform::FromCodePage(SyncReportText(refused)), "无法连接服务器");
}

TEST_F(SyncEngine, AListingThatSuddenlyHoldsNothingDeletesNothing) {
    for (int i = 0; i < 3; ++i) Add(RecordKind::Note, "n" + std::to_string(i), "b");
    ASSERT_EQ(Sync().status, SyncStatus::Done);
    ASSERT_EQ(ExecSql("UPDATE kv_sync_state SET value='' WHERE name='notes_token'"), "Done");
    server_.emptyListings = true;
    EXPECT_EQ(Sync().status, SyncStatus::EmptyListing);
    EXPECT_EQ(Contents().size(), 3u);
}

TEST_F(SyncEngine, APassThatWouldDeleteMostRecordsStopsUntilConfirmed) {
    for (int i = 0; i < 20; ++i) Add(RecordKind::Note, "n" + std::to_string(i), "b");
    ASSERT_EQ(Sync().status, SyncStatus::Done);
    for (const std::string& name : server_.Live(kNotes)) {
        if (server_.Live(kNotes).size() <= 5) break;
        server_.PhoneDelete(kNotes, name);
    }
    const SyncReport stopped = Sync();
    EXPECT_EQ(stopped.status, SyncStatus::MassDelete);
    EXPECT_EQ(stopped.massDelete, 15);
    EXPECT_EQ(Contents().size(), 20u);
    SyncOptions confirmed;
    confirmed.confirmMassDelete = true;
    EXPECT_EQ(Sync(confirmed).deletedHere, 15);
    EXPECT_EQ(Contents().size(), 5u);
    EXPECT_EQ(Rows("SELECT count(*) FROM korvane_trash")[0], "15") << "deleted into the trash";
}

TEST_F(SyncEngine, AnUploadThatLandedWithoutItsAnswerIsNotDoubled) {
    Add(RecordKind::Note, "t", "b");
    server_.loseAnswerAfterPut = true;
    EXPECT_EQ(Sync().status, SyncStatus::Unreachable);
    const SyncReport next = Sync();
    ASSERT_EQ(next.status, SyncStatus::Done) << SyncReportText(next);
    EXPECT_EQ(server_.Live(kNotes).size(), 1u);
    EXPECT_EQ(Contents().size(), 1u);
    EXPECT_EQ(Sync().requests, 2);
}

TEST_F(SyncEngine, TheSameCollectionReachedByAnotherAddressGetsNothingTwice) {
    for (int i = 0; i < 3; ++i) Add(RecordKind::Note, "n" + std::to_string(i), "b");
    ASSERT_EQ(Sync().uploaded, 3);
    const SyncReport again = Sync({}, "http://dav.test");
    ASSERT_EQ(again.status, SyncStatus::Done) << SyncReportText(again);
    EXPECT_EQ(again.uploaded, 0);
    EXPECT_EQ(server_.Live(kNotes).size(), 3u);
}

TEST_F(SyncEngine, AnEditThatLandedWithoutItsAnswerIsKnownAsThisNotebooksOwn) {
    const int64_t kept = Add(RecordKind::Note, "kept", "b");
    const int64_t gone = Add(RecordKind::Note, "gone", "b");
    ASSERT_EQ(Sync().status, SyncStatus::Done);
    for (const int64_t id : {kept, gone}) {
        Edit(id, "landed", "2026-12-09 11:00:00");
        server_.loseAnswerAfterPut = true;
        EXPECT_EQ(Sync().status, SyncStatus::Unreachable);
    }
    // Then, before the next pass, edited again and deleted here.
    Edit(kept, "again", "2026-12-09 12:00:00");
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, gone).Ok());
    const SyncReport next = Sync();
    ASSERT_EQ(next.status, SyncStatus::Done) << SyncReportText(next);
    EXPECT_EQ(next.conflicts, 0);
    EXPECT_EQ(Rows("SELECT content FROM mylist"), std::vector<std::string>{"again"});
    EXPECT_EQ(server_.Live(kNotes).size(), 1u);
}

TEST_F(SyncEngine, TheJournalMarksOnlySavesOfSyncedNotebooksAndClearsWhatWasSent) {
    const int64_t id = Add(RecordKind::Note, "t", "b");
    Edit(id, "c", "2026-12-09 10:00:00");
    EXPECT_FALSE(SyncTablesExist()) << "nothing is journalled before the first sync";
    ASSERT_EQ(Sync().status, SyncStatus::Done);
    // A save within the same second as the pass still goes up.
    Edit(id, "d", "2026-12-09 10:00:00");
    EXPECT_EQ(Rows("SELECT count(*) FROM kv_sync_journal")[0], "1");
    EXPECT_EQ(Sync().uploaded, 1);
    EXPECT_EQ(Rows("SELECT count(*) FROM kv_sync_journal")[0], "0");
    // A change by another program (its save time moves) goes up too.
    ASSERT_EQ(ExecSql("UPDATE mylist SET content='e',cre_date='2026-12-09 14:00:00'"), "Done");
    EXPECT_EQ(Sync().uploaded, 1);
}

}  // namespace
}  // namespace korvane
