// What the user hears when the trash or the history could not take its copy:
// the change that was made, every table set aside by its new name and the
// notebook's path, and whether the undo or the replaced version is there.
#include "render/keepingnotice.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace korvane {
namespace {

const std::string kNotebook = Cp("/home/用户/hd/glst.mysql");

bool Has(const std::string& notice, const char* words) {
    return notice.find(Cp(words)) != std::string::npos;
}

TEST(KeepingNotice, NothingFoundIsNothingToTell) {
    EXPECT_EQ(KeepingNotice({}, KeptChange::Deleted, kNotebook), "");
    EXPECT_EQ(KeepingNotice({}, KeptChange::Saved, kNotebook), "");
}

TEST(KeepingNotice, ASetAsideTableIsNamedWithTheNotebookAndNothingIsSaidLost) {
    const KeepingFindings trash{{"korvane_trash_aside_1800000000"}, false};
    const std::string deleted = KeepingNotice(trash, KeptChange::Deleted, kNotebook);
    EXPECT_TRUE(deleted.starts_with(Cp("记录已删除。\r\n"))) << platform::FromCodePage(deleted);
    EXPECT_NE(deleted.find(kNotebook + Cp(" 中的回收站表")), std::string::npos);
    EXPECT_NE(deleted.find("korvane_trash_aside_1800000000"), std::string::npos);
    EXPECT_TRUE(Has(deleted, "内容没有删除"));
    EXPECT_TRUE(Has(deleted, "可以撤销"));
    EXPECT_FALSE(Has(deleted, "不能撤销"));

    const KeepingFindings history{{"korvane_history_aside_1800000000"}, false};
    const std::string saved = KeepingNotice(history, KeptChange::Saved, kNotebook);
    EXPECT_TRUE(saved.starts_with(Cp("记录已保存。\r\n")));
    EXPECT_TRUE(Has(saved, "中的历史版本表"));
    EXPECT_TRUE(Has(saved, "已存入新的历史版本"));
}

TEST(KeepingNotice, ALostCopySaysTheUndoOrTheVersionIsNotThere) {
    const KeepingFindings lost{{}, true};
    const std::string deleted = KeepingNotice(lost, KeptChange::Deleted, kNotebook);
    EXPECT_EQ(deleted, Cp("记录已删除。\r\n这条记录没有放入回收站，这次删除不能撤销。"));
    const std::string saved = KeepingNotice(lost, KeptChange::Saved, kNotebook);
    EXPECT_TRUE(Has(saved, "没有存入历史版本")) << platform::FromCodePage(saved);

    // Both tables set aside and the copy lost all the same: every name, one
    // line each, then the loss.
    const KeepingFindings both{{"korvane_trash_aside_1", "korvane_trash_aside_2"}, true};
    const std::string told = KeepingNotice(both, KeptChange::Deleted, kNotebook);
    EXPECT_NE(told.find("korvane_trash_aside_1"), std::string::npos);
    EXPECT_NE(told.find("korvane_trash_aside_2"), std::string::npos);
    EXPECT_TRUE(told.ends_with(Cp("这次删除不能撤销。")));
}

}  // namespace
}  // namespace korvane
