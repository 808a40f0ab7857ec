#include "dialogs/editing.h"

#include <QTimer>
#include <utility>

#include "platform/codepage.h"
#include "platform/uitext.h"
#include "render/keepingnotice.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/records.h"

namespace korvane {

bool RecordIsGone(int recordId) {
    return LookUpRecord(recordId).status == StoreStatus::NotFound;
}

namespace {

const std::string& UnknownFailure() {
    static const std::string text = Ui::tr("数据库无法读取（可能正被其他程序占用）");
    return text;
}

}  // namespace

EditorRecord LoadForEditing(RecordKind kind, int recordId) {
    RecordForEditing loaded = LoadRecordForEditing(kind, recordId);
    EditorRecord record;
    switch (loaded.result.status) {
        case StoreStatus::Done:
            record.readable = true;
            record.fields = std::move(loaded.fields);
            return record;
        case StoreStatus::NotFound:  // deleted since the list showed it
            record.gone = true;
            record.failure = StatusText(loaded.result);
            return record;
        case StoreStatus::Broken:
            record.failure = StatusText(loaded.result);
            return record;
        default:  // the notebook not open, or the read failed before its first value
            record.failure = UnknownFailure();
            return record;
    }
}

SaveOutcome SaveFromEditor(RecordKind kind, int& recordId, const EditorRecord& loaded,
                           const std::vector<std::string>& columns,
                           const std::vector<std::string>& values, bool hasContent,
                           const std::string& time) {
    if (!hasContent) return {false, editortexts::NothingToSave()};
    if (recordId > 0 && !loaded.readable && !loaded.gone) {
        // What is stored was never shown: saving would replace it unseen.
        return {false, UnreadableRecordNotice(loaded.failure)};
    }
    if (recordId > 0 && RecordIsGone(recordId)) {
        // The record was deleted after the editor opened: an update would
        // change nothing and the text would be lost, so say so and save it as
        // a new record on the next press.
        recordId = 0;
        return {false, texts::NoData()};
    }
    // Only a positive record number was loaded into the form; any other is a
    // new entry (an update would match no row and the text would be lost).
    std::vector<RecordField> fields;
    for (size_t i = 0; i < columns.size() && i < values.size(); ++i) {
        const bool readAsText = i < loaded.fields.size() && loaded.fields[i].readAsText;
        fields.push_back({columns[i], values[i], recordId <= 0 || readAsText});
    }
    const StoreResult result = SaveRecord(kind, recordId, fields, time);
    if (result.Ok()) return {true, TakeKeepingNotice(KeptChange::Saved)};
    return {false, StatusText(result)};
}

void ReportUnreadableLater(QObject* editor, const EditorRecord& record,
                           std::function<void(const std::string&)> tell) {
    if (record.readable || record.gone) return;
    QTimer::singleShot(0, editor,
                       [notice = UnreadableRecordNotice(record.failure), tell = std::move(tell)] {
                           tell(notice);
                       });
}

std::string UnreadableRecordNotice(const std::string& failure) {
    static const std::string before = Ui::tr("无法读取这条记录：");
    static const std::string after = Ui::tr("。为免覆盖原有内容，这次不能保存到这条记录。");
    return before + failure + after;
}

namespace editortexts {

const std::string& NothingToSave() {
    static const std::string text = Ui::tr("要保存,总得写点什么吧.谢谢您的使用");
    return text;
}

const std::string& SavedOk() {
    static const std::string text = Ui::tr("保存成功");
    return text;
}

}  // namespace editortexts
}  // namespace korvane
