#include "store/draftfile.h"

#include <algorithm>
#include <charconv>

#include "base/ansitext.h"
#include "base/log.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace korvane {
namespace {

constexpr std::string_view kMagic = "korvane-draft 1\n";

std::string OwnerLine(const DraftOwner& owner) {
    const std::string record = owner.recordId > 0 ? std::to_string(owner.recordId) : "new";
    return owner.editor + " " + record + "\n";
}

// Takes `expected` off the front of `bytes`; false when it is not there.
bool TakePrefix(std::string_view& bytes, std::string_view expected) {
    if (bytes.substr(0, expected.size()) != expected) return false;
    bytes.remove_prefix(expected.size());
    return true;
}

// Takes a decimal count ended by a line feed off the front of `bytes`,
// written as EncodeDraft writes it: no sign, no leading zero.
std::optional<size_t> TakeCount(std::string_view& bytes) {
    const size_t end = bytes.find('\n');
    if (end == 0 || end == std::string_view::npos) return std::nullopt;
    if (bytes[0] == '0' && end > 1) return std::nullopt;
    size_t count = 0;
    const auto [stop, error] = std::from_chars(bytes.data(), bytes.data() + end, count);
    if (error != std::errc() || stop != bytes.data() + end) return std::nullopt;
    bytes.remove_prefix(end + 1);
    return count;
}

// Takes one field (its length, its bytes and a closing line feed).
std::optional<std::string> TakeField(std::string_view& bytes) {
    const std::optional<size_t> length = TakeCount(bytes);
    if (!length || *length >= bytes.size() || bytes[*length] != '\n') return std::nullopt;
    std::string field(bytes.substr(0, *length));
    bytes.remove_prefix(*length + 1);
    return field;
}

bool EnsureDraftFolder() {
    return platform::EnsureFolder(DataPath("hd")) && platform::EnsureFolder(DataPath("hd\\drafts"));
}

void Warn(std::string_view what, const std::string& path) {
    std::string line(what);
    line.append(": ").append(platform::NativePath(path));
    log::Warn(log::Area::Store, line);
}

}  // namespace

std::string DraftFileName(const DraftOwner& owner) {
    return owner.editor + "-" + (owner.recordId > 0 ? std::to_string(owner.recordId) : "new");
}

std::string DraftPath(const DraftOwner& owner) {
    return DataPath("hd\\drafts\\" + DraftFileName(owner));
}

std::string EncodeDraft(const DraftOwner& owner, const DraftFields& fields) {
    std::string bytes(kMagic);
    bytes += OwnerLine(owner);
    bytes += std::to_string(fields.size()) + "\n";
    for (const std::string& field : fields) {
        bytes += std::to_string(field.size()) + "\n";
        bytes += field;
        bytes += '\n';
    }
    return bytes;
}

std::optional<DraftFields> DecodeDraft(std::string_view bytes, const DraftOwner& owner,
                                       size_t fieldCount) {
    if (!TakePrefix(bytes, kMagic) || !TakePrefix(bytes, OwnerLine(owner))) return std::nullopt;
    if (TakeCount(bytes) != fieldCount) return std::nullopt;
    DraftFields fields;
    for (size_t i = 0; i < fieldCount; ++i) {
        std::optional<std::string> field = TakeField(bytes);
        if (!field) return std::nullopt;
        fields.push_back(std::move(*field));
    }
    if (!bytes.empty()) return std::nullopt;
    return fields;
}

bool WriteDraft(const DraftOwner& owner, const DraftFields& fields) {
    const std::string path = DraftPath(owner);
    const std::string bytes = EncodeDraft(owner, fields);
    if (bytes.size() > kDraftMaxBytes) {
        Warn("draft too large to keep, the last one stays", path);
        return false;
    }
    if (!EnsureDraftFolder() || !platform::ReplaceFileDurably(path, bytes)) {
        Warn("draft not written", path);
        return false;
    }
    return true;
}

std::optional<DraftFields> ReadDraft(const DraftOwner& owner, size_t fieldCount) {
    const std::string path = DraftPath(owner);
    const platform::FileRead read = platform::ReadRegularFile(path, kDraftMaxBytes);
    if (read.failure == platform::FileReadFailure::kNotFound) return std::nullopt;
    if (!read) {
        Warn("draft ignored, " + std::string(platform::FileReadFailureText(read.failure)), path);
        return std::nullopt;
    }
    std::optional<DraftFields> fields = DecodeDraft(read.bytes, owner, fieldCount);
    if (!fields) Warn("draft ignored, not a draft of this editor", path);
    if (fields && IsBlankDraft(*fields)) return std::nullopt;
    return fields;
}

bool IsBlankDraft(const DraftFields& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& field) { return Trim(field).empty(); });
}

bool RemoveDraft(const DraftOwner& owner) {
    return platform::RemoveFile(DraftPath(owner));
}

}  // namespace korvane
