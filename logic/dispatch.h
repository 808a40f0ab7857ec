// The page's commands: which navigations are commands, and what each one does.
//
// The page asks for work by navigating to pseudo-URLs on a fixed command host.
// The browser host cancels those navigations at once (IsCommandUrl) and later,
// outside the engine's callback, hands the URL to RunCommand, which opens an
// editor, deletes a record or writes a list into the page through a
// DispatchHost. Everything here is plain C++ so the rules can be tested without
// a window or a browser.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/commandurls.h"
#include "store/storestatus.h"

namespace korvane {

// Record kinds, the `state` column of the records.
inline constexpr int kNoteKind = 0;
inline constexpr int kContactKind = 1;
// The finder's results, notes and contacts together.
inline constexpr int kFoundInListKind = 2;
// The trash: the deleted notes and contacts, newest deletion first.
inline constexpr int kTrashListKind = 3;
// The finder's results among the records in the trash.
inline constexpr int kFoundInTrashKind = 4;

// How many records the page gets when a list is shown from its top.
inline constexpr int kHeadWindow = 60;

// A list the page is to get: which kind, which records, and why.
struct ListRequest {
    enum class Mode {
        kShow,     // the page asked for the list: show it from the top
        kRefresh,  // a record changed: show the new state, keeping the page's place
        kWindow,   // the page asked for the records at a place in the list
        kSaved,    // the user saved a record: show the list's top, where it now is
    };
    int kind = kNoteKind;
    int first = 0;  // position of the first record, from 0
    int count = kHeadWindow;
    int serial = 0;  // the page's number for its request, handed back with the answer
    Mode mode = Mode::kShow;
    std::string query;  // UTF-8, for the finder's results (kFoundInListKind, kFoundInTrashKind)

    bool operator==(const ListRequest&) const = default;
};

// What the main window must offer the dispatcher. Texts are code-page strings.
class DispatchHost {
  public:
    virtual ~DispatchHost() = default;

    virtual void ShowStandard() = 0;
    // Place the editor over the main window, set its record number (0: a new
    // record), show it modally and return whether the user saved.
    virtual bool EditNote(int recordId) = 0;
    virtual bool EditContact(int recordId) = 0;
    // A Yes/No question with Yes focused; true only for Yes.
    virtual bool Ask(const std::string& question) = 0;
    // A notice with an OK button only.
    virtual void Notify(const std::string& text) = 0;
    // Deletes the record numbered `id`; `kind` is the list it was deleted from.
    virtual StoreResult DeleteRecord(RecordKind kind, int64_t id) = 0;
    // Offers the page the undo of the delete of record `id` that just
    // succeeded (its bar, for a few seconds).
    virtual void OfferUndo(RecordKind kind, int64_t id) = 0;
    // What the trash's commands do in the store: kUndo takes the newest copy
    // of record `id` back, kRestore and kPurge act on the trash's copy `id`,
    // kEmpty on every copy (`id` unused).
    enum class TrashAction { kUndo, kRestore, kPurge, kEmpty };
    virtual StoreResult Trash(TrashAction action, int64_t id) = 0;
    // The notebook file the records are in (code page), for notices that
    // say where a record is; empty when it is not known.
    virtual std::string NotebookLocation() { return {}; }
    // Reads the requested window of the list and hands it to the page's list
    // element (the first element with id MyWinS) in one crossing; a page
    // without the element takes nothing. The work may finish after this call
    // has returned.
    virtual void ShowList(const ListRequest& request) = 0;
};

// One navigation of the page read as a command, once: decoded, trimmed and
// taken apart. `code` is kNone for a navigation that is no command.
struct PageCommand {
    enum class Code {
        kNone,
        kRestore,       // the restore URL: the standard view
        kNew,           // "New0/", "New1/": a new record of `kind`
        kList,          // "reNote/", "reCont/", "reTrash/": the list of `kind` from its top
        kEdit,          // "EdNo", "EdCn": edit `record`
        kDelete,        // "DeNo", "DeCn": delete `deletable` after asking
        kWindow,        // "WiNo", "WiCn", "WiTr": a window of the list, `list`
        kFind,          // "Find", "FiTr": a window of the finder's results, `list`
        kUndo,          // "UnNo", "UnCn": take the deleted record `deletable` back
        kTrashRestore,  // "TrRe": put the trash's copy `deletable` back in its list
        kTrashPurge,    // "TrPu": remove the trash's copy `deletable` for good, after asking
        kTrashEmpty,    // "TrEm/": remove every copy in the trash for good, after asking
    };
    Code code = Code::kNone;
    // The record's or the list's kind: kFoundInListKind or kFoundInTrashKind
    // for kFind, kTrashListKind for the trash's own commands.
    int kind = kNoteKind;
    int record = 0;  // kEdit: the record number, 0 when the text is none
    // kDelete, kUndo: a plain decimal record number; kTrashRestore,
    // kTrashPurge: the trash's number of the copy; none when malformed.
    std::optional<int32_t> deletable;
    std::optional<ListRequest> list;  // kWindow, kFind: the request, when well formed

    explicit operator bool() const { return code != Code::kNone; }
    // The commands that open an editor or ask a question, and those that
    // change the trash (which may end with a notice).
    bool OpensDialog() const {
        return code == Code::kNew || code == Code::kEdit || code == Code::kDelete ||
               code == Code::kUndo || code == Code::kTrashRestore || code == Code::kTrashPurge ||
               code == Code::kTrashEmpty;
    }
};

// `url` read as a command, by the rules below.
PageCommand ParseCommand(std::string_view url);

// True exactly for the navigations the page means as commands, which must be
// cancelled: after percent-decoding and trimming blanks and control
// characters, the restore URL, the whole-URL codes "New0/", "New1/",
// "reNote/", "reCont/", "reTrash/", "TrEm/" and any URL starting with a
// record code "EdNo", "EdCn", "DeNo", "DeCn", "UnNo", "UnCn", "TrRe", "TrPu",
// a window code "WiNo", "WiCn", "WiTr" or the finder's "Find", "FiTr".
// Case-sensitive.
bool IsCommandUrl(const std::string& url);

// True for the commands that open an editor or ask a question. While one of
// those runs, the window must not start another.
bool CommandOpensDialog(const std::string& url);

// The page's request for a window of a list ("WiNo", "WiCn", the trash's
// "WiTr"): the window code followed by "/first/count/serial/", each a decimal number of at most
// nine digits and count at most the largest window. Anything else gives nothing.
std::optional<ListRequest> WindowRequestFor(const std::string& url);

// The page's request for a window of the finder's results:
// "Find/first/count/serial/" as for a window, followed by the query ("FiTr"
// for the results among the trash's records). The
// query is percent-encoded twice, so that after the whole URL has been
// decoded once it is still percent-encoded and holds no "/" or "%" of its
// own; it is decoded once more here. Anything else gives nothing.
std::optional<ListRequest> FindRequestFor(const std::string& url);

// %HH sequences decoded to their bytes; a "%" not followed by two hexadecimal
// digits stays as it is. The engine percent-encodes what the page navigates
// to, so commands are matched on the decoded form.
std::string DecodePercent(std::string_view url);

// The notice for a delete the store did not carry out. A refused statement
// (see IsWriteFailure) becomes what failed and why (locked, read-only, disk
// full, damaged, moved away), that the record is still in the notebook with
// nothing changed, and the notebook's path `notebook` (left out when empty),
// a line each; no editor is involved. Any other result (the notebook
// missing, unreadable, broken or read-only for its encoding) is told in the
// store's words (StatusText).
std::string DeleteFailedNotice(const StoreResult& result, const std::string& notebook);

// The notice for a trash command the store did not carry out, in the same
// form: what failed and why, what is left as it was, the notebook's path.
// A copy that is no longer in the trash says so.
std::string TrashFailedNotice(DispatchHost::TrashAction action, const StoreResult& result,
                              const std::string& notebook);

// Carries out the command `url` names; a URL that is no command does nothing.
void RunCommand(const std::string& url, DispatchHost& host);
void RunCommand(const PageCommand& command, DispatchHost& host);

// The record number text of a record command: at most 20 characters after the
// code, every "/" removed, trimmed. `url` must already hold the code.
std::string RecordNumberText(std::string_view url);

// What a call of the page's script object asks for. Only its name argument
// counts, compared whole and case-sensitively.
enum class ExternalRequest { kNone, kShowStandard, kUpdate };
ExternalRequest ExternalRequestFor(std::string_view name);

}  // namespace korvane
