// File operations on paths written in the program's code page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::platform {

// The separator the system writes between folder names ('/' or '\\').
char PathSeparator();

// The position of the last folder separator in a code-page path, or npos.
// Where the system also takes '/', that counts too; the second byte of a
// two-byte character is never taken for one.
size_t LastSeparator(std::string_view path);

bool FileExists(const std::string& path);

// Copies `from` to `to` unless a file already exists at `to`; true when copied.
bool CopyFileNoOverwrite(const std::string& from, const std::string& to);

// Full path of the running executable, in the code page.
std::string RunningExecutablePath();

// The size of a regular file, or nothing when there is none at `path`.
std::optional<int64_t> FileSize(const std::string& path);

// What names one file on its file system: a path that still names the same
// device and inode names the same file, however it was reached.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the regular file at `path`, or nothing when there is none.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Removes a file; true when it is gone afterwards (also when it never existed).
bool RemoveFile(const std::string& path);

// Flushes what was written through an open C runtime descriptor to the disk.
bool FlushToDisk(int descriptor);

// Flushes a folder's entries to the disk, so a rename or a new name in it
// survives a power cut.
bool SyncFolderOf(const std::string& path);

// Gives the file at `from` the name `to` unless `to` already names a file,
// then flushes the folder. An existing file is never replaced: false then,
// and `from` keeps its name.
bool MoveNoReplace(const std::string& from, const std::string& to);

// Puts a durable copy of `from` at `to` unless `to` already exists: the bytes
// go to `temporary` (in the same folder as `to`), are flushed, and the
// temporary is then moved into place without replacing anything. A stale
// temporary from an interrupted copy is removed first. Readers never see a
// half-written file at `to`, and a power cut leaves either no file or all of it.
bool CopyFileDurably(const std::string& from, const std::string& to, const std::string& temporary);

// Why ReadRegularFile gave no bytes.
enum class FileReadFailure {
    kNone,        // read
    kNotFound,    // nothing at the path (or a folder on the way is missing)
    kNotRegular,  // a folder, a FIFO, a device or a socket
    kLink,        // a symbolic link (on Windows any reparse point)
    kTooLarge,    // more bytes than the caller's limit
    kUnreadable,  // there, but the system refused to read it
};

// A short English description of a failure, for the log.
std::string_view FileReadFailureText(FileReadFailure failure);

// What ReadRegularFile found: the whole file, or why there is nothing.
struct FileRead {
    std::string bytes;
    FileReadFailure failure = FileReadFailure::kNone;
    explicit operator bool() const { return failure == FileReadFailure::kNone; }
};

// Reads the whole regular file at `path`, opened as a file and nothing else.
// A symbolic link as the last component is refused, never followed (a folder
// on the way may be one); on Windows that is any reparse point that names
// another file (a link, a junction, a mount point), while a file of its own
// behind a filter (a cloud file's placeholder) is read as a file. Whatever is no regular file is
// refused without waiting: the open never blocks on a FIFO without a writer, and a device is never
// read. A file of more than `maxBytes` bytes is refused without being read, as is one that grows
// past the limit while it is read, so a hostile file costs at most `maxBytes` of memory.
FileRead ReadRegularFile(const std::string& path, uint64_t maxBytes);

// Puts `bytes` at `path` as a new regular file: they are written to a
// temporary in the same folder ("<name>.tmp-XXXXXX"), flushed to the disk, and
// the temporary is renamed over whatever `path` names, then the folder is
// flushed. A symbolic link at `path` is replaced by the file, never written
// through: its target stays as it was. A regular file that is replaced gives
// the new one its permission bits (where the system has them). A folder at `path`, a folder that
// takes no new file or a failed write leave everything as it was: false then. Temporaries that an
// interrupted write left for `path` are removed first.
bool ReplaceFileDurably(const std::string& path, std::string_view bytes);

// True for the name of a temporary ReplaceFileDurably makes for the file
// named `file`: that name, ".tmp-" and six letters or digits. The mark keeps
// a user's own "sys.ini.backup" from ever being taken for one.
bool IsTemporaryNameOf(std::string_view name, std::string_view file);

// Creates the folder `path` (its parent must exist); true when it exists afterwards.
bool EnsureFolder(const std::string& path);

// Writes `bytes` to a new regular file at `path`, which must not exist (a
// link there is not followed): false when it does or the write failed, and a
// file half written is removed. Not flushed to the disk: for files a later
// rename puts in place, such as the files of an export staged in a folder.
bool WriteNewFile(const std::string& path, std::string_view bytes);

// Gives the file or folder `from` the name `to` unless `to` already names
// something; both in the same volume. False when not moved.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Removes the folder `path` with everything in it; links in it are removed,
// never followed. True when nothing is left at `path` afterwards.
bool RemoveFolderTree(const std::string& path);

// True when `path` names a folder itself (not a link to one).
bool IsFolder(const std::string& path);

// The names of the entries in a folder (not "." or ".."), in no order; empty
// when it cannot be read.
std::vector<std::string> FileNamesIn(const std::string& folder);

}  // namespace korvane::platform
