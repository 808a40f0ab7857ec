// The page's commands: which navigations are cancelled and what each command
// does, against a scripted main window.
#include <gtest/gtest.h>

#include <cctype>
#include <deque>
#include <string>
#include <vector>

#include "logic/dispatch.h"
#include "platform/codepage.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/records.h"
#include "support/tempdir.h"

namespace korvane {
namespace {

const std::string kBase(kCommandBase);

// Records every call as a line and answers from scripted values.
class FakeHost : public DispatchHost {
  public:
    std::vector<std::string> calls;
    std::deque<bool> saves;  // editor answers, in order; empty means "saved"
    bool answerYes = true;
    StoreResult deleteResult;
    StoreResult trashResult;
    std::string notebook;

    void ShowStandard() override { calls.push_back("ShowStandard"); }
    bool EditNote(int id) override { return Edit("EditNote " + std::to_string(id)); }
    bool EditContact(int id) override { return Edit("EditContact " + std::to_string(id)); }
    bool Ask(const std::string& question) override {
        calls.push_back("Ask " + question);
        return answerYes;
    }
    void Notify(const std::string& text) override { calls.push_back("Notify " + text); }
    StoreResult DeleteRecord(RecordKind kind, int64_t id) override {
        calls.push_back("Delete " + std::to_string(StateOf(kind)) + " " + std::to_string(id));
        return deleteResult;
    }
    void OfferUndo(RecordKind kind, int64_t id) override {
        calls.push_back("OfferUndo " + std::to_string(StateOf(kind)) + " " + std::to_string(id));
    }
    StoreResult Trash(TrashAction action, int64_t id) override {
        static const char* const names[] = {"Undo", "Restore", "Purge", "Empty"};
        calls.push_back(std::string("Trash ") + names[static_cast<int>(action)] + " " +
                        std::to_string(id));
        return trashResult;
    }
    std::string NotebookLocation() override { return notebook; }
    void ShowList(const ListRequest& r) override {
        static const char* const modes[] = {"show", "refresh", "window", "saved"};
        calls.push_back("ShowList " + std::to_string(r.kind) + " " +
                        modes[static_cast<int>(r.mode)] + " " + std::to_string(r.first) + " " +
                        std::to_string(r.count) + " " + std::to_string(r.serial));
    }

  private:
    bool Edit(const std::string& call) {
        calls.push_back(call);
        if (saves.empty()) return true;
        const bool saved = saves.front();
        saves.pop_front();
        return saved;
    }
};

std::vector<std::string> Dispatch(const std::string& url, FakeHost& host) {
    RunCommand(url, host);
    return host.calls;
}

std::vector<std::string> Dispatch(const std::string& url) {
    FakeHost host;
    return Dispatch(url, host);
}

using Calls = std::vector<std::string>;
const std::string kHead = " 0 " + std::to_string(kHeadWindow) + " 0";
// A list the page asked for, from the top; one shown after a change.
const Calls kNotesList = {"ShowList 0 show" + kHead};
const Calls kContactsList = {"ShowList 1 show" + kHead};
const Calls kNotesAfterChange = {"ShowList 0 refresh" + kHead};
const Calls kContactsAfterChange = {"ShowList 1 refresh" + kHead};
const Calls kTrashList = {"ShowList 3 show" + kHead};
const Calls kTrashAfterChange = {"ShowList 3 refresh" + kHead};
// After a save the list shows its top, where the saved record now is.
const Calls kNotesAfterSave = {"ShowList 0 saved" + kHead};
const Calls kContactsAfterSave = {"ShowList 1 saved" + kHead};

Calls Then(Calls first, const Calls& rest) {
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

std::string Question() {
    return "Ask " + Cp("是否真的要删除您所选择的记录？");
}

TEST(CommandUrl, RecognisesEveryCommandAndNothingElse) {
    for (const std::string& code :
         std::vector<std::string>{"New0/", "New1/", "reNote/", "reCont/", "EdNo", "EdCn", "DeNo",
                                  "DeCn", "EdNo/12/", "DeCn7", "EdCn/x/"}) {
        EXPECT_TRUE(IsCommandUrl(kBase + code)) << code;
    }
    EXPECT_TRUE(IsCommandUrl(std::string(kRestoreUrl)));
    for (const std::string& other : std::vector<std::string>{
             kBase + "new0/", kBase + "New0", kBase + "reNote", kBase + "RENOTE/",
             kBase + "edNo/1/", kBase + "EdN", kBase, kBase + "New0/x", kBase + "xEdNo",
             "http://restore.korvane.invalid", std::string(kRestoreUrl) + "x",
             "http://command.korvane.invalid", "file:///hd/main.html",
             "https://command.korvane.invalid/New0/", "http://example.com/EdNo", ""}) {
        EXPECT_FALSE(IsCommandUrl(other)) << other;
    }
}

TEST(CommandUrl, SpacesAndLineBreaksAroundAreTrimmed) {
    EXPECT_TRUE(IsCommandUrl(" \t\r\n" + kBase + "reNote/\r\n "));
    EXPECT_TRUE(IsCommandUrl("\n" + std::string(kRestoreUrl) + " "));
    EXPECT_EQ(Dispatch("\r\n " + kBase + "reCont/ \n"), kContactsList);
    // Blanks inside are not removed.
    EXPECT_FALSE(IsCommandUrl(kBase + "re Note/"));
}

TEST(CommandUrl, WhatIsNoCommandDoesNothing) {
    for (const std::string& other :
         std::vector<std::string>{kBase + "new0/", kBase + "New0", std::string(kRestoreUrl) + "a",
                                  std::string("file:///tmp/main.html")}) {
        EXPECT_TRUE(Dispatch(other).empty()) << other;
    }
}

TEST(RecordNumber, ReadsAtMostTwentyCharactersWithoutSlashes) {
    EXPECT_EQ(RecordNumberText(kBase + "EdNo/12/"), "12");
    EXPECT_EQ(RecordNumberText(kBase + "EdNo12"), "12");
    EXPECT_EQ(RecordNumberText(kBase + "EdNo/12"), "12");
    EXPECT_EQ(RecordNumberText(kBase + "EdNo/ 12 /"), "12");
    EXPECT_EQ(RecordNumberText(kBase + "EdNo"), "");
    EXPECT_EQ(RecordNumberText(kBase + "EdNo" + std::string(19, '/') + "45"), "4");
    EXPECT_EQ(RecordNumberText(kBase + "EdNo12345678901234567890999"), "12345678901234567890");
}

TEST(Restore, SwitchesToTheStandardViewOnly) {
    EXPECT_EQ(Dispatch(std::string(kRestoreUrl)), Calls{"ShowStandard"});
}

TEST(NoteCommands, SavedEditsShowTheNotesListFromItsTop) {
    EXPECT_EQ(Dispatch(kBase + "New0/"), Then({"EditNote 0"}, kNotesAfterSave));
    EXPECT_EQ(Dispatch(kBase + "EdNo/12/"), Then({"EditNote 12"}, kNotesAfterSave));
    EXPECT_EQ(Dispatch(kBase + "EdNo12"), Then({"EditNote 12"}, kNotesAfterSave));
    // Without a number, or with text that is no number, the editor opens for a new note.
    EXPECT_EQ(Dispatch(kBase + "EdNo"), Then({"EditNote 0"}, kNotesAfterSave));
    EXPECT_EQ(Dispatch(kBase + "EdNo/abc/"), Then({"EditNote 0"}, kNotesAfterSave));
    // Whatever follows the first 20 characters is ignored.
    EXPECT_EQ(Dispatch(kBase + "EdNo/" + std::string(19, ' ') + "7/"),
              Then({"EditNote 0"}, kNotesAfterSave));
    EXPECT_EQ(Dispatch(kBase + "reNote/"), kNotesList);
}

TEST(NoteCommands, NeverFallThroughToTheContactSteps) {
    // A note command ends with the notes list even though later steps would
    // match contact commands; nothing about contacts is ever called.
    for (const std::string& url :
         std::vector<std::string>{kBase + "New0/", kBase + "EdNo/3/", kBase + "DeNo/3/"}) {
        const Calls calls = Dispatch(url);
        for (const std::string& call : calls) {
            EXPECT_EQ(call.find("Contact"), std::string::npos) << url;
            EXPECT_EQ(call.find("ShowList 1"), std::string::npos) << url;
        }
        // A delete ends with its offer of the undo, after the list.
        const std::string& last = url.ends_with("DeNo/3/") ? calls[calls.size() - 2] : calls.back();
        EXPECT_EQ(last, url.ends_with("DeNo/3/") ? kNotesAfterChange[0] : kNotesAfterSave[0])
            << url;
    }
}

TEST(ContactCommands, SavedEditsShowTheContactsListFromItsTop) {
    EXPECT_EQ(Dispatch(kBase + "New1/"), Then({"EditContact 0"}, kContactsAfterSave));
    EXPECT_EQ(Dispatch(kBase + "EdCn/5/"), Then({"EditContact 5"}, kContactsAfterSave));
    EXPECT_EQ(Dispatch(kBase + "reCont/"), kContactsList);
}

TEST(Editors, ClosedWithoutSavingShowNoList) {
    for (const std::string& url : std::vector<std::string>{kBase + "New0/", kBase + "EdNo/2/",
                                                           kBase + "New1/", kBase + "EdCn/2/"}) {
        FakeHost host;
        host.saves = {false};
        EXPECT_EQ(Dispatch(url, host).size(), 1u) << url;
    }
}

// A delete whose trash table had to be set aside is told once, after the
// delete and before the list, naming the table's new name and the notebook.
TEST(Delete, ATrashSetAsideIsToldOnceAfterTheDelete) {
    const test::AppFolder app;
    ASSERT_EQ(ExecSql("INSERT INTO mylist(ID,title,state)VALUES(9,'t',0)"), "Done");
    ASSERT_EQ(ExecSql("CREATE TABLE korvane_trash(x)"), "Done");
    // The host's delete is the store's (done here, before the command).
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, 9).Ok());
    FakeHost host;
    host.notebook = Cp("/home/用户/hd/glst.mysql");
    const Calls calls = Dispatch(kBase + "DeNo/9/", host);
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[1], "Delete 0 9");
    EXPECT_TRUE(calls[2].starts_with("Notify " + Cp("记录已删除。"))) << calls[2];
    EXPECT_NE(calls[2].find(host.notebook), std::string::npos);
    EXPECT_NE(calls[2].find("korvane_trash_aside_"), std::string::npos);
    EXPECT_EQ(calls[3], kNotesAfterChange[0]);
    EXPECT_EQ(calls[4], "OfferUndo 0 9");
    // Told once: the next delete says nothing more.
    EXPECT_EQ(Dispatch(kBase + "DeNo/9/"),
              Then(Then({Question(), "Delete 0 9"}, kNotesAfterChange), {"OfferUndo 0 9"}));
}

TEST(Delete, AsksDeletesShowsTheListOfThatKindThenOffersTheUndo) {
    EXPECT_EQ(Dispatch(kBase + "DeNo/9/"),
              Then(Then({Question(), "Delete 0 9"}, kNotesAfterChange), {"OfferUndo 0 9"}));
    // A deleted contact leaves the contacts list showing, whatever was shown before.
    EXPECT_EQ(Dispatch(kBase + "DeCn/4/"),
              Then(Then({Question(), "Delete 1 4"}, kContactsAfterChange), {"OfferUndo 1 4"}));
    EXPECT_EQ(Dispatch(kBase + "DeCn4"),
              Then(Then({Question(), "Delete 1 4"}, kContactsAfterChange), {"OfferUndo 1 4"}));
}

TEST(Delete, DeclinedDoesNothing) {
    FakeHost host;
    host.answerYes = false;
    EXPECT_EQ(Dispatch(kBase + "DeNo/9/", host), Calls{Question()});
}

// A notebook missing, unreadable, broken or read-only for its encoding is told
// in the store's own words, and no list follows.
TEST(Delete, ANotebookThatCannotTakeTheDeleteIsToldAsItIs) {
    const std::string notebook = Cp("/home/用户/hd/glst.mysql");
    for (const StoreResult& result :
         {StoreResult{StoreStatus::Missing}, StoreResult{StoreStatus::Unreadable, notebook},
          StoreResult{StoreStatus::Broken}, StoreResult{StoreStatus::ReadOnlyEncoding, notebook}}) {
        FakeHost host;
        host.deleteResult = result;
        host.notebook = notebook;
        EXPECT_EQ(Dispatch(kBase + "DeCn/4/", host),
                  (Calls{Question(), "Delete 1 4", "Notify " + StatusText(result)}));
    }
}

// A delete the store refused says so in its own words: what failed, why,
// and that the record is still in the notebook, named last by its path. The save
// texts speak of the editor, which a delete has none of.
TEST(Delete, AStoreFailureIsToldAsADeleteThatLeftTheRecordInPlace) {
    using enum StoreStatus;
    const std::pair<StoreStatus, const char*> reasons[] = {
        {Locked, "锁定"},        {ReadOnly, "只读"},    {DiskFull, "磁盘空间已满"},
        {Damaged, "已损坏"},     {Moved, "移走或替换"}, {Failed, "未能执行删除"},
        {Empty, "未能执行删除"},
    };
    const std::string notebook = Cp("/home/用户/hd/glst.mysql");
    for (const auto& [why, words] : reasons) {
        FakeHost host;
        host.deleteResult = {why};
        host.notebook = notebook;
        const Calls calls = Dispatch(kBase + "DeNo/7/", host);
        ASSERT_EQ(calls.size(), 3u);
        const std::string& notice = calls[2];
        EXPECT_TRUE(notice.starts_with("Notify " + Cp("删除失败："))) << words;
        EXPECT_NE(notice.find(Cp(words)), std::string::npos) << words;
        EXPECT_NE(notice.find(Cp("记录未能删除")), std::string::npos) << words;
        EXPECT_NE(notice.find(Cp("该记录仍在记事本中")), std::string::npos) << words;
        EXPECT_TRUE(notice.ends_with(Cp("，未做任何改动。\r\n") + notebook)) << words;
        EXPECT_EQ(notice.find(Cp("编辑窗口")), std::string::npos) << words;
    }
    // Without a known notebook the sentence does without the path.
    EXPECT_EQ(DeleteFailedNotice({DiskFull}, ""),
              Cp("删除失败：磁盘空间已满，记录未能删除。\r\n该记录仍在记事本中，未做任何改动。"));
    // A result that is no refused statement (the notebook broken) is the store's text.
    EXPECT_EQ(DeleteFailedNotice({Broken}, notebook), texts::DatabaseBroken());
}

TEST(Delete, OnlyAPlainRecordNumberReachesTheStatement) {
    for (const std::string tail : {"/1 OR 1=1/", "/1;DROP TABLE mylist/", "", "/", "/-1/", "/+5/",
                                   "/$10/", "/99999999999/", "/1e3/", "/ab/"}) {
        EXPECT_TRUE(Dispatch(kBase + "DeNo" + tail).empty()) << tail;
        EXPECT_TRUE(Dispatch(kBase + "DeCn" + tail).empty()) << tail;
    }
    EXPECT_EQ(Dispatch(kBase + "DeNo/2147483647/")[1], "Delete 0 2147483647");
    EXPECT_EQ(Dispatch(kBase + "DeNo/ 007 /")[1], "Delete 0 7");
}

// ---- The trash ------------------------------------------------------------

std::string PurgeQuestion() {
    return "Ask " + Cp("是否真的要彻底删除这条记录？彻底删除后将无法恢复。");
}

std::string EmptyQuestion() {
    return "Ask " + Cp("是否真的要清空回收站？回收站中的全部记录将被彻底删除，无法恢复。");
}

TEST(Trash, TheViewAndItsWindowsAreListsOfTheTrashKind) {
    EXPECT_EQ(Dispatch(kBase + "reTrash/"), kTrashList);
    EXPECT_EQ(Dispatch(kBase + "%72eTrash/"), kTrashList);
    EXPECT_EQ(Dispatch(kBase + "WiTr/20/50/3/"), Calls{"ShowList 3 window 20 50 3"});
    const auto request = FindRequestFor(kBase + "FiTr/0/20/4/" + std::string("abc"));
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, kFoundInTrashKind);
    EXPECT_EQ(request->query, "abc");
    EXPECT_EQ(Dispatch(kBase + "FiTr/5/50/9/abc"), Calls{"ShowList 4 window 5 50 9"});
    for (const std::string tail : {"", "/", "/1/2/", "/1/501/3/", "/-1/2/3/", "/1/2/3/x"}) {
        EXPECT_TRUE(IsCommandUrl(kBase + "WiTr" + tail)) << tail;
        EXPECT_TRUE(Dispatch(kBase + "WiTr" + tail).empty()) << tail;
    }
    for (const std::string other :
         {"retrash/", "reTrash", "reTrash/x", "WITR/1/2/3/", "fitr/1/2/3/a", "TrEm", "trEm/",
          "TrEm/1/", "Undo/3/", "TRRE/3/"}) {
        EXPECT_FALSE(IsCommandUrl(kBase + other)) << other;
        EXPECT_TRUE(Dispatch(kBase + other).empty()) << other;
    }
}

// Each change of the trash acts on a plain number only, asks first where it
// cannot be taken back, and ends with the list it changed brought up to date.
TEST(Trash, EachCommandRunsItsActionAndShowsItsList) {
    struct Case {
        std::string url;
        Calls calls;
    };
    const Case cases[] = {
        {"UnNo/12/", Then({"Trash Undo 12"}, kNotesAfterChange)},
        {"UnCn/7/", Then({"Trash Undo 7"}, kContactsAfterChange)},
        {"TrRe/3/", Then({"Trash Restore 3"}, kTrashAfterChange)},
        {"TrPu/3/", Then({PurgeQuestion(), "Trash Purge 3"}, kTrashAfterChange)},
        {"TrEm/", Then({EmptyQuestion(), "Trash Empty 0"}, kTrashAfterChange)},
        {"TrRe%2F%2041%20%2F", Then({"Trash Restore 41"}, kTrashAfterChange)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Dispatch(kBase + c.url), c.calls) << c.url;
        EXPECT_TRUE(CommandOpensDialog(kBase + c.url)) << c.url;
    }
    // Declined, nothing is removed and nothing is shown.
    FakeHost declining;
    declining.answerYes = false;
    EXPECT_EQ(Dispatch(kBase + "TrPu/3/", declining), Calls{PurgeQuestion()});
    declining.calls.clear();
    EXPECT_EQ(Dispatch(kBase + "TrEm/", declining), Calls{EmptyQuestion()});
}

TEST(Trash, OnlyAPlainNumberReachesTheStore) {
    for (const std::string code : {"UnNo", "UnCn", "TrRe", "TrPu"}) {
        for (const std::string tail :
             {"", "/", "/-1/", "/+5/", "/1 OR 1=1/", "/1;DELETE FROM korvane_trash/",
              "/99999999999/", "/1e3/", "/0x10/", "/ab/", "/%31%2C2/", "/1%20OR%201=1/"}) {
            EXPECT_TRUE(IsCommandUrl(kBase + code + tail)) << code << tail;
            EXPECT_TRUE(Dispatch(kBase + code + tail).empty()) << code << tail;
        }
    }
    EXPECT_EQ(Dispatch(kBase + "TrRe/2147483647/")[0], "Trash Restore 2147483647");
    EXPECT_EQ(Dispatch(kBase + "UnNo/ 007 /")[0], "Trash Undo 7");
}

TEST(Trash, AFailureIsToldWithWhatIsLeftAndWhereAndNoListFollows) {
    using enum StoreStatus;
    using Action = DispatchHost::TrashAction;
    const std::string notebook = Cp("/home/用户/hd/glst.mysql");
    const std::pair<std::string, const char*> commands[] = {{"UnNo/5/", "撤销失败："},
                                                            {"TrRe/5/", "恢复失败："},
                                                            {"TrPu/5/", "彻底删除失败："},
                                                            {"TrEm/", "清空回收站失败："}};
    for (const auto& [url, failed] : commands) {
        for (const StoreStatus why : {Locked, ReadOnly, DiskFull, Damaged, Moved, Failed}) {
            FakeHost host;
            host.trashResult = {why};
            host.notebook = notebook;
            const Calls calls = Dispatch(kBase + url, host);
            ASSERT_FALSE(calls.empty());
            const std::string& notice = calls.back();
            EXPECT_TRUE(notice.starts_with("Notify " + Cp(failed))) << url;
            EXPECT_NE(notice.find(Cp("未做任何改动")), std::string::npos) << url;
            EXPECT_TRUE(notice.ends_with("\r\n" + notebook)) << url;
            for (const std::string& call : calls) EXPECT_FALSE(call.starts_with("ShowList"));
        }
    }
    EXPECT_EQ(TrashFailedNotice(Action::kPurge, {DiskFull}, ""),
              Cp("彻底删除失败：磁盘空间已满，记录未能删除。\r\n"
                 "该记录仍在回收站中，未做任何改动。"));
    // A notebook that is missing or broken is told in the store's words.
    EXPECT_EQ(TrashFailedNotice(Action::kRestore, {Broken}, notebook), texts::DatabaseBroken());
}

// A copy no longer in the trash (restored or removed meanwhile) is said so,
// and the list is brought up to date, since it showed something gone.
TEST(Trash, ACopyAlreadyGoneIsToldAndTheListFollows) {
    FakeHost host;
    host.trashResult = {StoreStatus::NotFound};
    const Calls calls = Dispatch(kBase + "TrRe/8/", host);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1],
              "Notify " + Cp("恢复失败：回收站中已没有这条记录，它可能已被恢复或彻底删除。"));
    EXPECT_EQ(calls[2], kTrashAfterChange[0]);
    host.calls.clear();
    EXPECT_EQ(Dispatch(kBase + "UnNo/8/", host)[1],
              "Notify " + Cp("撤销失败：回收站中已没有这条记录，它可能已被恢复或彻底删除。"));
}

TEST(Windows, ThePageAsksForRecordsByDecimalNumbersOnly) {
    EXPECT_EQ(Dispatch(kBase + "WiNo/100/50/7/"), Calls{"ShowList 0 window 100 50 7"});
    EXPECT_EQ(Dispatch(kBase + "WiCn/0/0/0/"), Calls{"ShowList 1 window 0 0 0"});
    EXPECT_EQ(Dispatch(kBase + "WiNo/999999999/500/999999999/"),
              Calls{"ShowList 0 window 999999999 500 999999999"});
    EXPECT_EQ(Dispatch(kBase + "WiNo%2F3%2F4%2F5%2F"), Calls{"ShowList 0 window 3 4 5"});
    for (const std::string tail :
         {"", "/", "/1/2/", "/1/2/3", "1/2/3/", "/1/2/3/4/", "/-1/2/3/", "/1/+2/3/", "/1/2/3 /",
          "/ 1/2/3/", "/1/501/3/", "/1000000000/2/3/", "/0x1/2/3/", "/1//3/", "/1/2/3/x",
          "/1;DROP TABLE mylist/2/3/", "/1e3/2/3/", "/%31%00/2/3/"}) {
        EXPECT_TRUE(IsCommandUrl(kBase + "WiNo" + tail)) << tail;
        EXPECT_FALSE(WindowRequestFor(kBase + "WiNo" + tail)) << tail;
        EXPECT_TRUE(Dispatch(kBase + "WiNo" + tail).empty()) << tail;
    }
    EXPECT_FALSE(IsCommandUrl(kBase + "wino/1/2/3/"));
}

TEST(Commands, MatchWhatThePageAskedForNotTheEnginesEncoding) {
    // The engine sends blanks and other bytes percent-encoded.
    EXPECT_EQ(Dispatch(kBase + "EdNo/%2012%20/"), Then({"EditNote 12"}, kNotesAfterSave));
    EXPECT_EQ(Dispatch(kBase + "DeNo/%2012%20/")[1], "Delete 0 12");
    EXPECT_EQ(Dispatch(kBase + "%72eNote/"), kNotesList);
    EXPECT_TRUE(IsCommandUrl("%20" + kBase + "New0/%0A"));
    // Only plain numbers reach a statement, whatever the encoding hid.
    EXPECT_TRUE(Dispatch(kBase + "DeNo/1%20OR%201=1/").empty());
    EXPECT_TRUE(Dispatch(kBase + "DeNo/1%3BDROP/").empty());
    EXPECT_EQ(DecodePercent("%41%4a%zz%4%"), "AJ%zz%4%");
    EXPECT_EQ(DecodePercent("a%00b"), std::string("a\0b", 3));
}

// The page's encoding of a query: letters and digits as they are, every
// other byte as %25 and its two hexadecimal digits.
std::string PageEncoded(std::string_view query) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : query) {
        if (std::isalnum(c)) {
            out += static_cast<char>(c);
        } else {
            out += "%25";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

TEST(Find, TheQueryArrivesAsTypedWhateverItHolds) {
    const std::string longQuery(10 * 1024, 'x');
    for (const std::string& query :
         {std::string("会议"), std::string("a/b"), std::string("100%"), std::string("%25"),
          std::string("a_b"), std::string("'); DROP TABLE mylist; --"), std::string(" x "),
          std::string("../.."), std::string("#?&="), std::string("\xFF\xFE", 2),
          std::string("\xED\xA0\x80", 3), std::string("a\0b", 3), longQuery}) {
        const auto request = FindRequestFor(kBase + "Find/10/50/7/" + PageEncoded(query));
        ASSERT_TRUE(request) << query;
        EXPECT_EQ(request->query, query);
        EXPECT_EQ(request->kind, kFoundInListKind);
        EXPECT_EQ(request->first, 10);
        EXPECT_EQ(request->count, 50);
        EXPECT_EQ(request->serial, 7);
        EXPECT_EQ(request->mode, ListRequest::Mode::kWindow);
    }
    // What the engine encodes once more comes back once decoded.
    EXPECT_EQ(FindRequestFor(kBase + "Find/0/1/2/a%2520b%252F")->query, "a b/");
    EXPECT_EQ(FindRequestFor(kBase + "Find/0/1/2/")->query, "");
}

TEST(Find, IsACommandThatOpensNothingAndShowsTheResults) {
    EXPECT_TRUE(IsCommandUrl(kBase + "Find/0/50/1/abc"));
    EXPECT_FALSE(CommandOpensDialog(kBase + "Find/0/50/1/abc"));
    EXPECT_EQ(Dispatch(kBase + "Find/5/50/9/abc"), Calls{"ShowList 2 window 5 50 9"});
    for (const std::string tail : {"", "/", "/1/2/", "/1/2/3", "/1/501/3/x", "/-1/2/3/x",
                                   "/1/2/3/a/b", "/1/2/3/a%2Fb", "/1/2/3/a%252Fb/"}) {
        EXPECT_TRUE(IsCommandUrl(kBase + "Find" + tail)) << tail;
        EXPECT_FALSE(FindRequestFor(kBase + "Find" + tail)) << tail;
        EXPECT_TRUE(Dispatch(kBase + "Find" + tail).empty()) << tail;
    }
    EXPECT_FALSE(IsCommandUrl(kBase + "find/1/2/3/x"));
}

TEST(Commands, OnlyEditorsAndDeletesOpenDialogs) {
    for (const std::string code : {"New0/", "New1/", "EdNo/1/", "EdCn", "DeNo/2/", "DeCn/3/"})
        EXPECT_TRUE(CommandOpensDialog(kBase + code)) << code;
    EXPECT_TRUE(CommandOpensDialog(kBase + "Ed%4Eo/1/"));
    for (const std::string code :
         {"reNote/", "reCont/", "WiNo/0/10/1/", "New0", "new0/", "reTrash/", "WiTr/0/1/2/"})
        EXPECT_FALSE(CommandOpensDialog(kBase + code)) << code;
    EXPECT_FALSE(CommandOpensDialog(std::string(kRestoreUrl)));
}

TEST(ExternalRequests, OnlyTheExactNamesCount) {
    EXPECT_EQ(ExternalRequestFor("SHOW"), ExternalRequest::kShowStandard);
    EXPECT_EQ(ExternalRequestFor("UPFS"), ExternalRequest::kUpdate);
    for (std::string_view other : {"show", "Show", "SHOW ", " UPFS", "upfs", "", "SHOWX"}) {
        EXPECT_EQ(ExternalRequestFor(other), ExternalRequest::kNone) << other;
    }
}

}  // namespace
}  // namespace korvane
