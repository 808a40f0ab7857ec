#include "dialogs/editing.h"

#include <array>

#include "platform/codepage.h"
#include "store/dbfunc.h"

namespace korvane {

bool RecordIsGone(int recordId) {
    std::array<std::string, 9> values;
    LoadRecord("SELECT ID FROM mylist WHERE ID=" + std::to_string(recordId), values);
    return values[0] == texts::kNotFound && values[1] == texts::NoData();
}

namespace editortexts {

const std::string& NothingToSave() {
    static const std::string text = Cp("要保存,总得写点什么吧.谢谢您的使用");
    return text;
}

const std::string& SavedOk() {
    static const std::string text = Cp("保存成功");
    return text;
}

}  // namespace editortexts
}  // namespace korvane
