#include "platform/files.h"

#include <io.h>
#include <windows.h>

#include "platform/codepage.h"
#include "platform/win32/handle.h"

namespace korvane::platform {

using win32::Handle;

namespace {

bool IsLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> Attributes(const std::string& native) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(native.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return data;
}

bool IsFile(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Writes the file's data and its size to the disk.
bool FlushFile(const std::string& native) {
    Handle file(::CreateFileA(native.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && ::FlushFileBuffers(file.get());
}

// MoveFileEx without MOVEFILE_REPLACE_EXISTING fails when the new name
// exists; write-through returns only once the move is on the disk.
bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

FileRead Refused(FileReadFailure failure) {
    return FileRead{{}, failure};
}

FileReadFailure FailureOf(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? FileReadFailure::kNotFound
               : FileReadFailure::kUnreadable;
}

// Reads what is left of the open file, refusing it when more than `maxBytes`
// come: the file may grow after its size was taken.
FileRead ReadAtMost(HANDLE file, uint64_t maxBytes, uint64_t expected) {
    FileRead read;
    read.bytes.reserve(static_cast<size_t>(expected < maxBytes ? expected : maxBytes));
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
            return Refused(FileReadFailure::kUnreadable);
        }
        if (n == 0) return read;
        if (read.bytes.size() + uint64_t{n} > maxBytes) return Refused(FileReadFailure::kTooLarge);
        read.bytes.append(buffer, n);
    }
}

// Opens an existing file to read, sharing it with every other user of it.
HANDLE OpenForReading(const std::string& native, DWORD flags) {
    return ::CreateFileA(native.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, flags, nullptr);
}

// The name part of a path in the code page.
std::string NameOf(const std::string& path) {
    const size_t cut = LastSeparator(path);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The folder part of a path in the code page ("." for a bare name).
std::string FolderOf(const std::string& path) {
    const size_t cut = LastSeparator(path);
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

// Removes the files a replacing write of `path` made and, killed half-way,
// never renamed; only this program writes its files.
void RemoveStaleTemporaries(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    for (const std::string& entry : FileNamesIn(folder)) {
        if (!IsTemporaryNameOf(entry, name)) continue;
        const std::string stale = NativePath(folder + "\\" + entry);
        const DWORD attributes = ::GetFileAttributesA(stale.c_str());
        const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & notPlain) == 0) {
            ::DeleteFileA(stale.c_str());
        }
    }
}

// A new file named "<native>.tmp-XXXXXX" with six letters and digits of its own;
// the handle is invalid when none could be made.
HANDLE CreateTemporaryBeside(const std::string& native, std::string& temporary) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    ULONGLONG seed = ::GetTickCount64() ^ (ULONGLONG{::GetCurrentProcessId()} << 20) ^
                     reinterpret_cast<ULONGLONG>(&temporary);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = native + ".tmp-";
        for (int i = 0; i < 6; ++i) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            temporary += kLetters[(seed >> 33) % (sizeof kLetters - 1)];
        }
        const HANDLE file = ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAllTo(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

char PathSeparator() {
    return '\\';
}

size_t LastSeparator(std::string_view path) {
    size_t last = std::string_view::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c == '\\' || c == '/') {
            last = i;
        } else if (IsLeadByte(c)) {
            ++i;  // a trail byte may be 0x5C, which is no separator there
        }
    }
    return last;
}

bool FlushToDisk(int descriptor) {
    return ::_commit(descriptor) == 0;
}

bool FileExists(const std::string& path) {
    const auto data = Attributes(NativePath(path));
    return data && IsFile(*data);
}

bool CopyFileNoOverwrite(const std::string& from, const std::string& to) {
    return ::CopyFileA(NativePath(from).c_str(), NativePath(to).c_str(), TRUE) != 0;
}

std::string RunningExecutablePath() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return win32::CodePageFromAnsi(std::string_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<int64_t> FileSize(const std::string& path) {
    const auto data = Attributes(NativePath(path));
    if (!data || !IsFile(*data)) return std::nullopt;
    return static_cast<int64_t>(uint64_t{data->nFileSizeHigh} << 32 | data->nFileSizeLow);
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    // No access asked: the identity can be read even while others hold the file.
    Handle file(::CreateFileA(NativePath(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

bool RemoveFile(const std::string& path) {
    if (::DeleteFileA(NativePath(path).c_str())) return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool SyncFolderOf(const std::string&) {
    // A folder cannot be flushed on Windows; the file system journals its
    // entries, and the moves here are written through.
    return true;
}

bool MoveNoReplace(const std::string& from, const std::string& to) {
    return MoveWithoutReplacing(NativePath(from), NativePath(to));
}

bool CopyFileDurably(const std::string& from, const std::string& to, const std::string& temporary) {
    const std::string staged = NativePath(temporary);
    ::DeleteFileA(staged.c_str());  // left by a copy that was killed half-way
    const bool placed = ::CopyFileA(NativePath(from).c_str(), staged.c_str(), TRUE) &&
                        FlushFile(staged) && MoveWithoutReplacing(staged, NativePath(to));
    if (!placed) ::DeleteFileA(staged.c_str());
    return placed;
}

FileRead ReadRegularFile(const std::string& path, uint64_t maxBytes) {
    const std::string native = NativePath(path);
    // A first look at the name itself, so that no folder is ever opened.
    const DWORD attributes = ::GetFileAttributesA(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Refused(FailureOf(::GetLastError()));
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Refused(FileReadFailure::kNotRegular);
    // The name opened as itself: a link is seen as the link, never followed.
    Handle itself(OpenForReading(native, FILE_FLAG_OPEN_REPARSE_POINT));
    if (!itself.valid()) return Refused(FailureOf(::GetLastError()));
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(itself.get(), FileAttributeTagInfo, &tag, sizeof tag)) {
        return Refused(FileReadFailure::kUnreadable);
    }
    if ((tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Refused(FileReadFailure::kNotRegular);
    }
    const bool reparse = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (reparse && IsReparseTagNameSurrogate(tag.ReparseTag)) {
        return Refused(FileReadFailure::kLink);  // a symbolic link, a junction, a mount point
    }
    // Any other reparse point is a file of its own behind a filter (a cloud
    // file's placeholder, a deduplicated file): it is read through the filter.
    Handle filtered(reparse ? OpenForReading(native, 0) : nullptr);
    if (reparse && !filtered.valid()) return Refused(FailureOf(::GetLastError()));
    const HANDLE file = reparse ? filtered.get() : itself.get();
    if (::GetFileType(file) != FILE_TYPE_DISK) return Refused(FileReadFailure::kNotRegular);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) return Refused(FileReadFailure::kUnreadable);
    if (static_cast<uint64_t>(size.QuadPart) > maxBytes) return Refused(FileReadFailure::kTooLarge);
    return ReadAtMost(file, maxBytes, static_cast<uint64_t>(size.QuadPart));
}

bool ReplaceFileDurably(const std::string& path, std::string_view bytes) {
    RemoveStaleTemporaries(path);
    const std::string native = NativePath(path);
    const DWORD attributes = ::GetFileAttributesA(native.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return false;
    }
    std::string temporary;
    bool written = false;
    {
        Handle file(CreateTemporaryBeside(native, temporary));
        if (!file.valid()) return false;
        written = WriteAllTo(file.get(), bytes) && ::FlushFileBuffers(file.get());
    }
    // The move replaces the name: a link there goes, its target is not
    // touched; write-through returns only once the move is on the disk.
    const bool placed =
        written && ::MoveFileExA(temporary.c_str(), native.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!placed) ::DeleteFileA(temporary.c_str());
    return placed;
}

bool EnsureFolder(const std::string& path) {
    const std::string native = NativePath(path);
    if (::CreateDirectoryA(native.c_str(), nullptr)) return true;
    const DWORD attributes = ::GetFileAttributesA(native.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WriteNewFile(const std::string& path, std::string_view bytes) {
    const std::string native = NativePath(path);
    bool written = false;
    {
        Handle file(::CreateFileA(native.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return false;
        written = WriteAllTo(file.get(), bytes);
    }
    if (!written) ::DeleteFileA(native.c_str());
    return written;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    return MoveWithoutReplacing(NativePath(from), NativePath(to));
}

namespace {

// Removes what the folder `native` holds, depth first; a reparse point (a
// link or a junction) is removed itself, never entered.
void RemoveContents(const std::string& native) {
    WIN32_FIND_DATAA entry{};
    const HANDLE search = ::FindFirstFileA((native + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string_view name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = native + "\\" + entry.cFileName;
        const DWORD attributes = entry.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            ::SetFileAttributesA(child.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            ::DeleteFileA(child.c_str());
            continue;
        }
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) RemoveContents(child);
        ::RemoveDirectoryA(child.c_str());
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
}

}  // namespace

bool RemoveFolderTree(const std::string& path) {
    const std::string native = NativePath(path);
    if (::GetFileAttributesA(native.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    RemoveContents(native);
    ::RemoveDirectoryA(native.c_str());
    return ::GetFileAttributesA(native.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(NativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::string pattern = NativePath(folder);
    if (!pattern.empty() && LastSeparator(pattern) != pattern.size() - 1) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA entry{};
    const HANDLE search = ::FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string_view name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(win32::CodePageFromAnsi(name));
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return names;
}

}  // namespace korvane::platform
