// The page's commands: which navigations are commands, and what each one does.
//
// The page asks for work by navigating to pseudo-URLs on a fixed command host.
// The browser host cancels those navigations at once (IsCommandUrl) and later,
// outside the engine's callback, hands the URL to RunCommand, which opens an
// editor, deletes a record or writes a list into the page through a
// DispatchHost. Everything here is plain C++ so the rules can be tested without
// a window or a browser.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korvane {

inline constexpr std::string_view kCommandHost = "command.korvane.invalid";
inline constexpr std::string_view kRestoreHost = "restore.korvane.invalid";
// Every command URL starts with the command base.
inline constexpr std::string_view kCommandBase = "http://command.korvane.invalid/";
// Navigating here switches the window back to its standard view.
inline constexpr std::string_view kRestoreUrl = "http://restore.korvane.invalid/";

// Record kinds, the `state` column of the records.
inline constexpr int kNoteKind = 0;
inline constexpr int kContactKind = 1;

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
    virtual std::string ExecSql(const std::string& statement) = 0;
    virtual std::string BuildListPage(int kind) = 0;
    // Looks up the page's list element (the first element with id MyWinS) and,
    // only when there is one, calls `renderList` and writes its HTML as the
    // element's inner HTML. Without the element nothing happens. The work may
    // finish after this call has returned.
    virtual void ShowList(std::function<std::string()> renderList) = 0;
};

// True exactly for the navigations the page means as commands, which must be
// cancelled: after trimming blanks and control characters, the restore URL, the
// whole-URL codes "New0/", "New1/", "reNote/", "reCont/" and any URL starting
// with a record code "EdNo", "EdCn", "DeNo" or "DeCn". Case-sensitive.
bool IsCommandUrl(const std::string& url);

// Carries out the command `url` names; a URL that is no command does nothing.
void RunCommand(const std::string& url, DispatchHost& host);

// The record number text of a record command: at most 20 characters after the
// code, every "/" removed, trimmed. `url` must already hold the code.
std::string RecordNumberText(std::string_view url);

// What a call of the page's script object asks for. Only its name argument
// counts, compared whole and case-sensitively.
enum class ExternalRequest { kNone, kShowStandard, kUpdate };
ExternalRequest ExternalRequestFor(std::string_view name);

}  // namespace korvane
