#include "store/records.h"

#include <cstdint>
#include <utility>

#include "store/keeping.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"
#include "store/syncstate.h"

namespace korvane {
namespace {

bool IsTextColumn(const std::string& column) {
    return column == "title" || column == "content" || column == "tel";
}

// The positional parameter `?n`.
std::string Param(size_t n) {
    std::string mark = std::to_string(n);
    mark.insert(mark.begin(), '?');
    return mark;
}

std::string InsertStatement(const std::vector<RecordField>& fields, SqlValues& values) {
    std::string columns;
    std::string marks;
    for (const RecordField& field : fields) {
        values.emplace_back(ReplaceApostrophes(field.value));
        columns += field.column + ",";
        marks += Param(values.size()) + ",";
    }
    return "INSERT INTO mylist(" + columns + "state,cre_date)VALUES(" + marks +
           Param(values.size() + 1) + "," + Param(values.size() + 2) + ")";
}

std::string UpdateStatement(const std::vector<RecordField>& fields, SqlValues& values) {
    std::string assignments;
    for (const RecordField& field : fields) {
        if (!field.write) continue;
        values.emplace_back(ReplaceApostrophes(field.value));
        assignments += field.column + "=" + Param(values.size()) + ",";
    }
    return "UPDATE mylist SET " + assignments + "cre_date=" + Param(values.size() + 1) +
           " WHERE ID=" + Param(values.size() + 2);
}

// Each column is read three ways: its storage type, its text, and its bytes
// (a blob cast has no declared type, so it comes back unconverted). The text
// is the stored text only when the value is text and the two readings agree;
// an INTEGER column holding text, for one, reads as a number and not as the
// text.
std::string EditorQuery(int64_t id, const std::vector<std::string>& columns) {
    std::string select;
    for (const std::string& c : columns) {
        if (!select.empty()) select += ",";
        select += "typeof(" + c + ")," + c + ",CAST(" + c + " AS BLOB)";
    }
    return "SELECT " + select + " FROM mylist WHERE ID=" + std::to_string(id);
}

// The `count` fields from their three readings each; what a read cut short
// left unread is an empty text that may not be written back.
std::vector<EditableField> EditableFields(std::vector<std::string> readings, size_t count) {
    readings.resize(3 * count);
    std::vector<EditableField> fields;
    for (size_t i = 0; i < count; ++i) {
        const std::string& type = readings[3 * i];
        EditableField& field = fields.emplace_back();
        field.text = readings[3 * i + 1];
        field.readAsText = (type == "text" || type == "null") && field.text == readings[3 * i + 2];
    }
    return fields;
}

}  // namespace

StoreResult SaveRecord(RecordKind kind, int recordId, const std::vector<RecordField>& fields,
                       const std::string& time, int64_t now) {
    for (const RecordField& field : fields) {
        if (!IsTextColumn(field.column)) return {StoreStatus::Failed, {}, "not a text column"};
    }
    SqlValues values;
    if (recordId <= 0) {
        const std::string statement = InsertStatement(fields, values);
        values.emplace_back(int32_t{StateOf(kind)});
        values.emplace_back(time);
        return RunStatement(statement, values);
    }
    const std::string statement = UpdateStatement(fields, values);
    // The version replaced goes into the history when a written field changes.
    std::string changed = "0";
    SqlValues changedValues;
    for (const RecordField& field : fields) {
        if (!field.write) continue;
        changedValues.emplace_back(ReplaceApostrophes(field.value));
        changed += " OR " + field.column + " IS NOT ?" + std::to_string(changedValues.size() + 2);
    }
    values.emplace_back(time);
    values.emplace_back(int32_t{recordId});
    std::vector<SqlStatement> change{{statement, values}, ThinHistory(recordId, now)};
    for (SqlStatement& mark : SyncJournalMark(recordId)) change.push_back(std::move(mark));
    return RunKeeping(kHistoryTable, HistoryCopy(recordId, now, changed, changedValues), change);
}

StoreResult AddRecords(const std::vector<NewRecord>& records) {
    // The number asked for is used only while it is free; NULL numbers the
    // record as any new one.
    static const std::string insert =
        "INSERT INTO mylist(ID,title,content,tel,state,cre_date)VALUES("
        "(SELECT ?1 WHERE ?1>0 AND NOT EXISTS(SELECT 1 FROM mylist WHERE ID=?1)),"
        "?2,?3,?4,?5,?6)";
    std::vector<SqlStatement> statements;
    statements.reserve(records.size());
    for (const NewRecord& r : records) {
        statements.push_back({insert,
                              {r.id, ReplaceApostrophes(r.title), ReplaceApostrophes(r.content),
                               ReplaceApostrophes(r.tel), int32_t{StateOf(r.kind)}, r.date}});
    }
    if (statements.empty()) return {};
    return RunStatementsAtOnce(statements);
}

StoreResult DeleteRecord(RecordKind, int64_t id, int64_t now) {
    return RunKeeping(kTrashTable, TrashCopy(id, now), {{"DELETE FROM mylist WHERE ID=?1", {id}}});
}

const std::vector<std::string>& EditorColumns(RecordKind kind) {
    static const std::vector<std::string> note = {"title", "content"};
    static const std::vector<std::string> contact = {"title", "tel", "content"};
    return kind == RecordKind::Contact ? contact : note;
}

RecordForEditing LoadRecordForEditing(RecordKind kind, int64_t id) {
    const std::vector<std::string>& columns = EditorColumns(kind);
    std::vector<std::string> readings;
    RecordForEditing record;
    record.result = ReadFirstRow(EditorQuery(id, columns), readings, 3 * columns.size());
    // A read that failed after its first value keeps what it read, as the
    // editors have always shown it.
    if (record.result.status == StoreStatus::Failed && !readings.empty()) record.result = {};
    if (record.result.Ok()) record.fields = EditableFields(std::move(readings), columns.size());
    return record;
}

StoreResult LookUpRecord(int64_t id) {
    std::vector<std::string> found;
    return ReadFirstRow("SELECT ID FROM mylist WHERE ID=" + std::to_string(id), found, 1);
}

}  // namespace korvane
