// A read of the notebook in one transaction: what it reads together comes
// from one state of the file, whatever other connections commit meanwhile.
#pragma once

#include <string>

#include "base/log.h"
#include "store/sqlitelayer.h"

namespace korvane {

class ReadTransaction {
  public:
    explicit ReadTransaction(TSQLiteDatabase& db) : db_(db) { db_.Execute("BEGIN"); }
    ~ReadTransaction() {
        try {
            db_.Execute(done_ ? "COMMIT" : "ROLLBACK");
        } catch (const ESQLiteException& e) {
            // Nothing was written; a read that cannot end leaves no change behind.
            log::Warn(log::Area::Store, std::string("ending a read: ") + e.what());
        }
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    void Done() { done_ = true; }

  private:
    TSQLiteDatabase& db_;
    bool done_ = false;
};

}  // namespace korvane
