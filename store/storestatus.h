// What the store's calls report, and the two kinds of record it keeps. The
// store never puts these in words: the layers that show them do (see
// render/storetexts.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace korvane {

// The kinds of record, as the `state` column stores them.
enum class RecordKind { Note = 0, Contact = 1 };

// The stored number of a kind, as the page and the `state` column know it.
constexpr int StateOf(RecordKind kind) {
    return static_cast<int>(kind);
}

// The kind a page number or a `state` value stands for; none for any other number.
constexpr std::optional<RecordKind> RecordKindOf(int64_t state) {
    if (state == 0) return RecordKind::Note;
    if (state == 1) return RecordKind::Contact;
    return std::nullopt;
}

// How a call of the store ended.
enum class StoreStatus {
    Done,              // opened, read or written
    Missing,           // no notebook could be found or made
    Unreadable,        // the notebook exists but this user may not read it (`path`)
    Broken,            // the notebook has no records table
    NotFound,          // no record with that number
    ReadOnlyEncoding,  // opened read-only for its text encoding (`path`): nothing is written
    // Why a statement did not run.
    Locked,
    ReadOnly,
    DiskFull,
    Damaged,
    Moved,
    Failed,
    Empty,  // no statement to run
};

struct StoreResult {
    StoreResult() = default;
    // A status stands for its result (the conversion is meant: `return StoreStatus::Broken;`).
    StoreResult(StoreStatus why, std::string notebook = {}, std::string what = {})  // NOLINT
        : status(why), path(std::move(notebook)), detail(std::move(what)) {}

    StoreStatus status = StoreStatus::Done;
    std::string path;    // the notebook the status names (Unreadable, ReadOnlyEncoding)
    std::string detail;  // what went wrong, in English, for the log
    bool Ok() const { return status == StoreStatus::Done; }
};

// True for the statuses of a statement the notebook refused (locked,
// read-only, disk full, damaged, moved away, failed, empty).
constexpr bool IsWriteFailure(StoreStatus status) {
    return status >= StoreStatus::Locked;
}

}  // namespace korvane
