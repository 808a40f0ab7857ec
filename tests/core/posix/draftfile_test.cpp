// The editors' draft files on disk: whatever stands in a draft's place, an
// editor asking for its draft gets it only from a regular file of bounded
// size, at once; and a draft is written in place of a link, never through it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "platform/codepage.h"
#include "store/draftfile.h"
#include "support/filekinds.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::FileKind;

const DraftOwner kNewNote{"note", 0};
const DraftFields kFields{"title", "body\r\nmore"};

struct DraftCase {
    const char* name;
    FileKind kind;
    bool offered;   // read back as a draft
    bool replaced;  // a new draft takes its place
};

void PrintTo(const DraftCase& c, std::ostream* out) {
    *out << c.name;
}

class DraftInPlace : public ::testing::TestWithParam<DraftCase> {
  protected:
    void SetUp() override { fs::create_directories(Path().parent_path()); }
    static fs::path Path() { return platform::NativePath(DraftPath(kNewNote)); }

    test::AppFolder app_{"drafts 草稿"};
};

// In a child, which a read that waits or eats memory cannot take down: exit 0
// when the draft is offered with its fields, 1 when none is offered.
[[noreturn]] void AskInChild(FileKind kind) {
    test::PrepareChild(kind);
    const std::optional<DraftFields> draft = ReadDraft(kNewNote, kFields.size());
    if (!draft) std::_Exit(1);
    std::_Exit(*draft == kFields ? 0 : 2);
}

TEST_P(DraftInPlace, IsOfferedOnlyFromARegularFileAndNeverWaitedFor) {
    const DraftCase& c = GetParam();
    test::MakeFileKind(c.kind, Path(), EncodeDraft(kNewNote, kFields), kDraftMaxBytes);
    EXPECT_EXIT(AskInChild(c.kind), ::testing::ExitedWithCode(c.offered ? 0 : 1), "");
}

INSTANTIATE_TEST_SUITE_P(
    Drafts, DraftInPlace,
    ::testing::Values(DraftCase{"Regular", FileKind::kRegular, true, true},
                      DraftCase{"Oversized", FileKind::kOversized, false, true},
                      DraftCase{"LinkToADraft", FileKind::kLinkToRegular, false, true},
                      DraftCase{"LinkToDevZero", FileKind::kLinkToDevZero, false, true},
                      DraftCase{"Fifo", FileKind::kFifo, false, true},
                      DraftCase{"Folder", FileKind::kFolder, false, false},
                      DraftCase{"Missing", FileKind::kMissing, false, true},
                      DraftCase{"Unreadable", FileKind::kUnreadable, false, true}),
    [](const ::testing::TestParamInfo<DraftCase>& info) { return std::string(info.param.name); });

// In a child, which a write that waits for a FIFO's reader cannot hold up:
// exit 0 when the draft was written.
[[noreturn]] void WriteInChild() {
    ::alarm(60);
    std::_Exit(WriteDraft(kNewNote, {"a", "b"}) ? 0 : 1);
}

// Whatever stood in the draft's place, the next pause writes a regular draft
// there (a folder stays, and the write says it failed); a link's target keeps
// its bytes.
TEST_P(DraftInPlace, IsReplacedByTheNextWrite) {
    const DraftCase& c = GetParam();
    const std::string target = "not a draft";
    test::MakeFileKind(c.kind, Path(), target, kDraftMaxBytes);
    EXPECT_EXIT(WriteInChild(), ::testing::ExitedWithCode(c.replaced ? 0 : 1), "");
    EXPECT_EQ(fs::is_regular_file(fs::symlink_status(Path())), c.replaced);
    EXPECT_EQ(ReadDraft(kNewNote, 2),
              c.replaced ? std::optional(DraftFields{"a", "b"}) : std::nullopt);
    if (c.kind == FileKind::kLinkToRegular) {
        EXPECT_EQ(test::ReadFile(Path().string() + ".target"), target);
    }
}

TEST(DraftFile, ADraftBeyondTheLimitIsNotWrittenAndTheLastOneStays) {
    test::AppFolder app{"drafts 草稿"};
    ASSERT_TRUE(WriteDraft(kNewNote, kFields));
    EXPECT_FALSE(WriteDraft(kNewNote, {"", std::string(kDraftMaxBytes, 'x')}));
    EXPECT_EQ(ReadDraft(kNewNote, 2), kFields);
}

}  // namespace
}  // namespace korvane
