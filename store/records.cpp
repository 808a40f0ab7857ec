#include "store/records.h"

#include <cstdint>

#include "store/notebook.h"
#include "store/sqlitelayer.h"

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

}  // namespace

std::string SaveRecord(int kind, int recordId, const std::vector<RecordField>& fields,
                       const std::string& time) {
    for (const RecordField& field : fields) {
        if (!IsTextColumn(field.column)) return texts::SaveFailed(texts::SaveFailure::Failed);
    }
    SqlValues values;
    std::string statement;
    if (recordId <= 0) {
        statement = InsertStatement(fields, values);
        values.emplace_back(int32_t{kind});
        values.emplace_back(time);
    } else {
        statement = UpdateStatement(fields, values);
        values.emplace_back(time);
        values.emplace_back(int32_t{recordId});
    }
    return ExecSql(statement, values);
}

}  // namespace korvane
