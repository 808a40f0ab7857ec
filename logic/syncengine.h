// One sync of the notebook with a CalDAV journal collection (the notes) and a
// CardDAV address book (the contacts) of the user's own server. The pass:
// find the collections (made when there are none and that is allowed); for
// each, ask what changed on the server since the last pass (sync-collection,
// or a listing of ETags where a server has no tokens); apply that here; send
// what changed here; remember the server's token. Nothing is lost on the way:
//   - both sides changed a record: both versions are kept, the server's as a
//     second record whose title says it came from another device;
//   - deleted on one side, changed on the other: the changed record wins;
//   - a listing that fails or suddenly holds nothing where there were items
//     is an error, never "delete everything"; a pass that would delete more
//     than half of the records of a kind here (and more than 10) stops and
//     asks;
//   - a pass cut off at any point is finished by the next one: items are
//     matched by UID, so an upload that landed but was not recorded is known.
// Records the server deleted go to the notebook's trash like any delete.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "logic/synchttp.h"

namespace korvane {

struct SyncAccount {
    std::string url;   // the server address the user gave (UTF-8)
    std::string user;  // UTF-8
};

// Runs a piece of work that uses the notebook store where the store may be
// used (the program's main thread), and returns when it is done. The engine
// runs every read and write of the notebook through it and never holds the
// store between two of them.
using StoreExecutor = std::function<void(const std::function<void()>&)>;

struct SyncOptions {
    bool createCollections = true;    // make the two collections when there are none
    bool confirmMassDelete = false;   // the user agreed to a pass that deletes many records
    std::function<bool()> cancelled;  // asked between steps; may be empty
};

enum class SyncStatus {
    Done,
    NotConfigured,    // no server address or user
    PasswordRefused,  // 401
    Forbidden,        // 403
    Unreachable,      // no connection
    TimedOut,
    Certificate,    // the server's certificate was not trusted
    PlainRefused,   // plain http to another machine, not allowed
    ServerFailed,   // 5xx and other answers that make no sense
    ServerFull,     // 507
    NoCollections,  // none found, and making them was not allowed
    EmptyListing,   // the server suddenly lists nothing: refused as a fault
    MassDelete,     // stopped before deleting `massDelete` records here
    StoreFailed,    // the notebook refused a read or write
    Cancelled,
};

struct SyncReport {
    SyncStatus status = SyncStatus::Done;
    std::string detail;  // what failed and where (code page); empty when Done
    int uploaded = 0;
    int downloaded = 0;
    int deletedHere = 0;
    int deletedThere = 0;
    int conflicts = 0;
    int requests = 0;
    int64_t massDelete = 0;
    bool createdCollections = false;
};

SyncReport RunSync(const SyncAccount& account, HttpClient& client, const StoreExecutor& store,
                   const SyncOptions& options = {});

// The report in words for the footer, the tray tooltip and the command line
// (code page): "同步完成：上传 3，下载 1", "服务器拒绝了密码", "无法连接服务器", ...
std::string SyncReportText(const SyncReport& report);

}  // namespace korvane
