// The page's commands: which navigations are cancelled and what each command
// does, against a scripted main window.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/dispatch.h"
#include "platform/codepage.h"

namespace korvane {
namespace {

const std::string kBase(kCommandBase);

// Records every call as a line and answers from scripted values.
class FakeHost : public DispatchHost {
  public:
    std::vector<std::string> calls;
    std::deque<bool> saves;  // editor answers, in order; empty means "saved"
    bool answerYes = true;
    std::string sqlResult = "Done";
    bool pageHasList = true;
    std::string shownList;

    void ShowStandard() override { calls.push_back("ShowStandard"); }
    bool EditNote(int id) override { return Edit("EditNote " + std::to_string(id)); }
    bool EditContact(int id) override { return Edit("EditContact " + std::to_string(id)); }
    bool Ask(const std::string& question) override {
        calls.push_back("Ask " + question);
        return answerYes;
    }
    void Notify(const std::string& text) override { calls.push_back("Notify " + text); }
    std::string ExecSql(const std::string& statement) override {
        calls.push_back("ExecSql " + statement);
        return sqlResult;
    }
    std::string BuildListPage(int kind) override {
        calls.push_back("BuildListPage " + std::to_string(kind));
        return "<list " + std::to_string(kind) + ">";
    }
    void ShowList(std::function<std::string()> renderList) override {
        calls.push_back("ShowList");
        if (pageHasList) shownList = renderList();
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
const Calls kNotesList = {"ShowList", "BuildListPage 0"};
const Calls kContactsList = {"ShowList", "BuildListPage 1"};

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

TEST(NoteCommands, SavedEditsShowTheNotesList) {
    EXPECT_EQ(Dispatch(kBase + "New0/"), Then({"EditNote 0"}, kNotesList));
    EXPECT_EQ(Dispatch(kBase + "EdNo/12/"), Then({"EditNote 12"}, kNotesList));
    EXPECT_EQ(Dispatch(kBase + "EdNo12"), Then({"EditNote 12"}, kNotesList));
    // Without a number, or with text that is no number, the editor opens for a new note.
    EXPECT_EQ(Dispatch(kBase + "EdNo"), Then({"EditNote 0"}, kNotesList));
    EXPECT_EQ(Dispatch(kBase + "EdNo/abc/"), Then({"EditNote 0"}, kNotesList));
    // Whatever follows the first 20 characters is ignored.
    EXPECT_EQ(Dispatch(kBase + "EdNo/" + std::string(19, ' ') + "7/"),
              Then({"EditNote 0"}, kNotesList));
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
            EXPECT_NE(call, "BuildListPage 1") << url;
        }
        EXPECT_EQ(calls.back(), "BuildListPage 0") << url;
    }
}

TEST(ContactCommands, SavedEditsShowTheContactsList) {
    EXPECT_EQ(Dispatch(kBase + "New1/"), Then({"EditContact 0"}, kContactsList));
    EXPECT_EQ(Dispatch(kBase + "EdCn/5/"), Then({"EditContact 5"}, kContactsList));
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

TEST(Delete, AsksDeletesAndShowsTheListOfThatKind) {
    EXPECT_EQ(Dispatch(kBase + "DeNo/9/"),
              Then({Question(), "ExecSql DELETE FROM mylist WHERE ID=9"}, kNotesList));
    // A deleted contact leaves the contacts list showing, whatever was shown before.
    EXPECT_EQ(Dispatch(kBase + "DeCn/4/"),
              Then({Question(), "ExecSql DELETE FROM mylist WHERE ID=4"}, kContactsList));
    EXPECT_EQ(Dispatch(kBase + "DeCn4"),
              Then({Question(), "ExecSql DELETE FROM mylist WHERE ID=4"}, kContactsList));
}

TEST(Delete, DeclinedDoesNothing) {
    FakeHost host;
    host.answerYes = false;
    EXPECT_EQ(Dispatch(kBase + "DeNo/9/", host), Calls{Question()});
}

TEST(Delete, FailureTextIsShownAndNoListFollows) {
    for (const std::string& failure : {std::string("database is locked"), std::string()}) {
        FakeHost host;
        host.sqlResult = failure;
        EXPECT_EQ(
            Dispatch(kBase + "DeCn/4/", host),
            (Calls{Question(), "ExecSql DELETE FROM mylist WHERE ID=4", "Notify " + failure}));
    }
}

TEST(Delete, OnlyAPlainRecordNumberReachesTheStatement) {
    for (const std::string tail : {"/1 OR 1=1/", "/1;DROP TABLE mylist/", "", "/", "/-1/", "/+5/",
                                   "/$10/", "/99999999999/", "/1e3/", "/ab/"}) {
        EXPECT_TRUE(Dispatch(kBase + "DeNo" + tail).empty()) << tail;
        EXPECT_TRUE(Dispatch(kBase + "DeCn" + tail).empty()) << tail;
    }
    EXPECT_EQ(Dispatch(kBase + "DeNo/2147483647/")[1],
              "ExecSql DELETE FROM mylist WHERE ID=2147483647");
    EXPECT_EQ(Dispatch(kBase + "DeNo/ 007 /")[1], "ExecSql DELETE FROM mylist WHERE ID=7");
}

TEST(Lists, ThePageWithoutTheListElementGetsNothingRendered) {
    FakeHost host;
    host.pageHasList = false;
    EXPECT_EQ(Dispatch(kBase + "reNote/", host), Calls{"ShowList"});
    FakeHost shown;
    Dispatch(kBase + "reCont/", shown);
    EXPECT_EQ(shown.shownList, "<list 1>");
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
