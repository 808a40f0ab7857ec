#include "store/dbfunc.h"

#include <algorithm>
#include <memory>

#include "app/apppaths.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "store/SQLiteTable3.h"
#include "store/ansitext.h"

namespace korvane {
namespace texts {

const std::string& DatabaseMissing() {
    static const std::string text =
        Cp("<br/><br/>无法找到数据库,请重新安装!<br/><br/>"
           "注意：因数据库的限制，请不要直接复制到桌面上运行<br/><br/>"
           "\u3000\u3000\u3000并且安装的目录不能包含中文字<br/><br/>"
           "\u3000\u3000例如安装到 \"D:\\Brisvale\\\" 下即可正常使用，谢谢！");
    return text;
}

const std::string& DatabaseBroken() {
    static const std::string text = Cp("无法完成！数据库有问题！请重新安装");
    return text;
}

const std::string& NoData() {
    static const std::string text = Cp("没有数据,请立即新增！");
    return text;
}

}  // namespace texts

namespace {

const char kTable[] = "mylist";

// The count of one kind and the state of the notebook it was taken in.
struct KindCount {
    int64_t dataVersion = -1;  // changes when another connection commits
    int64_t ownChanges = -1;   // changes when this one writes
    int64_t count = 0;
};

// The database path and connection: empty until the first successful open,
// then kept for the rest of the process; with the counts the lists last took.
struct Store {
    std::string path;
    std::unique_ptr<TSQLiteDatabase> connection;
    std::array<KindCount, 2> counts;
};

Store& State() {
    static Store store;
    return store;
}

// The lists read one kind newest first, a window at a time; without this
// index every window would sort the whole table. A notebook made elsewhere may
// lack it. Adding an index changes nothing other readers see; when the file
// cannot be written now (read-only, locked), the lists simply read slower.
void EnsureListIndex(TSQLiteDatabase& db) {
    try {
        if (!db.HasTable(kTable)) return;
        db.Execute("CREATE INDEX IF NOT EXISTS mylist_state_date ON mylist (state, cre_date)");
    } catch (const ESQLiteException&) {
    }
}

}  // namespace

std::string OpenDatabase() {
    Store& store = State();
    if (!store.path.empty()) return texts::kOpen;
    try {
        const std::string working = AppPath("hd\\glst.mysql");
        const std::string pristine = AppPath("hd\\glst.mysql.root");
        if (!platform::FileExists(working)) platform::CopyFileNoOverwrite(pristine, working);
        store.path = working;
        if (!platform::FileExists(working)) {
            store.path.clear();
            return texts::DatabaseMissing();
        }
        store.connection = std::make_unique<TSQLiteDatabase>(working);
        EnsureListIndex(*store.connection);
        return texts::kOpen;
    } catch (...) {
        store.path.clear();
        store.connection.reset();
        return texts::DatabaseMissing();
    }
}

int64_t CountOfKind(int kind) {
    Store& store = State();
    TSQLiteDatabase& db = *store.connection;
    const auto version = db.OpenQuery("PRAGMA data_version");
    version->GoFirst();
    KindCount now{version->FieldInt64(0), db.TotalChanges(), 0};
    KindCount* kept = kind == 0 || kind == 1 ? &store.counts[static_cast<size_t>(kind)] : nullptr;
    if (kept && kept->dataVersion == now.dataVersion && kept->ownChanges == now.ownChanges)
        return kept->count;
    const auto counted =
        db.OpenQuery("SELECT count(*) FROM mylist WHERE state=?1", {int32_t{kind}});
    counted->GoFirst();
    now.count = counted->FieldInt64(0);
    if (kept) *kept = now;
    return now.count;
}

TSQLiteDatabase* Database() {
    return State().connection.get();
}

void CloseDatabase() {
    State() = Store();
}

std::string ExecSql(const std::string& statement) {
    std::string result = OpenDatabase();
    if (result != texts::kOpen) return result;
    result.clear();
    if (Trim(statement).empty()) return result;
    try {
        if (!Database()->HasTable(kTable)) return texts::DatabaseBroken();
        Database()->Execute(statement);
        result = texts::kDone;
    } catch (...) {
        // A failed statement reports as empty text; the caller shows it.
    }
    return result;
}

void LoadRecord(const std::string& query, std::array<std::string, 9>& values) {
    if (OpenDatabase() != texts::kOpen) return;
    try {
        if (!Database()->HasTable(kTable)) {
            values[0] = texts::kNotFound;
            values[1] = texts::DatabaseBroken();
            return;
        }
        const auto table = Database()->OpenQuery(query);
        if (table->RowCount() == 0) {
            values[0] = texts::kNotFound;
            values[1] = texts::NoData();
            return;
        }
        table->GoFirst();
        const int columns = std::min<int>(table->ColumnCount(), static_cast<int>(values.size()));
        for (int i = 0; i < columns; ++i) values[i] = table->FieldText(i);
    } catch (...) {
        // What was written stays; the rest keeps its empty text.
    }
}

std::string ReplaceApostrophes(const std::string& text) {
    static const std::string fullWidth = Cp("＇");
    return ReplaceAll(text, "'", fullWidth);
}

}  // namespace korvane
