#include "dialogs/editing.h"

#include <QTimer>
#include <array>

#include "dialogs/messagebox.h"
#include "platform/codepage.h"
#include "store/notebook.h"
#include "store/records.h"

namespace korvane {

bool RecordIsGone(int recordId) {
    std::array<std::string, 9> values;
    LoadRecord("SELECT ID FROM mylist WHERE ID=" + std::to_string(recordId), values);
    return values[0] == texts::kNotFound && values[1] == texts::NoData();
}

namespace {

// Each column is read three ways: its storage type, its text as LoadRecord
// gives it, and its bytes (a blob cast has no declared type, so it comes back
// unconverted). The text is the stored text only when the value is text and
// the two readings agree; an INTEGER column holding text, for one, reads as a
// number and not as the text.
std::string EditorQuery(int recordId, const std::vector<std::string>& columns) {
    std::string select;
    for (const std::string& c : columns) {
        if (!select.empty()) select += ",";
        select += "typeof(" + c + ")," + c + ",CAST(" + c + " AS BLOB)";
    }
    return "SELECT " + select + " FROM mylist WHERE ID=" + std::to_string(recordId);
}

const std::string& UnknownFailure() {
    static const std::string text = Cp("数据库无法读取（可能正被其他程序占用）");
    return text;
}

}  // namespace

EditorRecord LoadForEditing(int recordId, const std::vector<std::string>& columns) {
    std::array<std::string, 9> values;
    LoadRecord(EditorQuery(recordId, columns), values);
    EditorRecord record;
    if (values[0] == texts::kNotFound) {
        record.gone = values[1] == texts::NoData();
        record.failure = values[1].empty() ? UnknownFailure() : values[1];
        return record;
    }
    if (values[0].empty()) {  // the read failed before the first value
        record.failure = UnknownFailure();
        return record;
    }
    record.readable = true;
    for (size_t i = 0; i < columns.size() && 3 * i + 2 < values.size(); ++i) {
        const std::string& type = values[3 * i];
        EditorField& field = record.fields.emplace_back();
        field.text = values[3 * i + 1];
        field.readAsText = (type == "text" || type == "null") && field.text == values[3 * i + 2];
    }
    return record;
}

bool SaveFromEditor(int kind, int& recordId, const EditorRecord& loaded,
                    const std::vector<std::string>& columns, const std::vector<std::string>& values,
                    bool hasContent, const std::string& time) {
    if (!hasContent) {
        ShowMsgBox(editortexts::NothingToSave());
        return false;
    }
    if (recordId > 0 && !loaded.readable && !loaded.gone) {
        // What is stored was never shown: saving would replace it unseen.
        ShowMsgBox(UnreadableRecordNotice(loaded.failure));
        return false;
    }
    if (recordId > 0 && RecordIsGone(recordId)) {
        // The record was deleted after the editor opened: an update would
        // change nothing and the text would be lost, so say so and save it as
        // a new record on the next press.
        ShowMsgBox(texts::NoData());
        recordId = 0;
        return false;
    }
    // Only a positive record number was loaded into the form; any other is a
    // new entry (an update would match no row and the text would be lost).
    std::vector<RecordField> fields;
    for (size_t i = 0; i < columns.size() && i < values.size(); ++i) {
        const bool readAsText = i < loaded.fields.size() && loaded.fields[i].readAsText;
        fields.push_back({columns[i], values[i], recordId <= 0 || readAsText});
    }
    const std::string result = SaveRecord(kind, recordId, fields, time);
    if (result == texts::kDone) return true;
    ShowMsgBox(result);
    return false;
}

void ReportUnreadableLater(QObject* editor, const EditorRecord& record) {
    if (record.readable || record.gone) return;
    QTimer::singleShot(0, editor,
                       [notice = UnreadableRecordNotice(record.failure)] { ShowMsgBox(notice); });
}

std::string UnreadableRecordNotice(const std::string& failure) {
    static const std::string before = Cp("无法读取这条记录：");
    static const std::string after = Cp("。为免覆盖原有内容，这次不能保存到这条记录。");
    return before + failure + after;
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
