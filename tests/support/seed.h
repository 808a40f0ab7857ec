// Notebooks of realistic size for tests and benchmarks: notes like a user's,
// written straight into the open notebook in one statement.
#pragma once

#include <string>

#include "platform/codepage.h"
#include "render/storetexts.h"
#include "store/notebook.h"

namespace korvane::test {

// Replaces the notes with `count` notes of about 200 bytes each: Chinese
// titles and bodies with line breaks, emoticons and now and then a
// formatting span; notes 2k and 2k+1 share their time, so ties are ordered
// too. Newer notes have higher numbers. Returns "Done" or the
// store's message.
inline std::string SeedNotes(int count) {
    const std::string deleted = ExecSql("DELETE FROM mylist WHERE state=0");
    if (deleted != texts::kDone) return deleted;
    const std::string title = Cp("会议纪要 第");
    const std::string titleEnd = Cp("号");
    const std::string body = Cp("下午三点在二楼会议室讨论新版本的发布计划，请各位提前准备");
    const std::string line = Cp("记得带上笔记本电脑和上周的报告");
    const std::string mark = Cp("<span class=\"Tred\">重要</span>");
    const std::string last = Cp("备注：会后整理纪要发给大家，谢谢");
    return ExecSql(
        "INSERT INTO mylist(title,content,state,cre_date) "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
        std::to_string(count) + ") SELECT '" + title + "' || i || '" + titleEnd + "', '" + body +
        "' || char(13,10) || '" + line +
        " {EM' || (i%30) || 'EM}' || char(13,10) || "
        "CASE WHEN i%7=0 THEN '" +
        mark + "' ELSE '' END || '" + last +
        "', 0, datetime(1262304000 + (i/2)*600, 'unixepoch') FROM n");
}

}  // namespace korvane::test
