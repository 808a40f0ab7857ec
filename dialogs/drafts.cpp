#include "dialogs/drafts.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <charconv>

#include "dialogs/dialogslog.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/files.h"

Q_LOGGING_CATEGORY(lcDialogs, "korvane.dialogs", QtWarningMsg)

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

// Takes a decimal count ended by a line feed off the front of `bytes`.
std::optional<size_t> TakeCount(std::string_view& bytes) {
    const size_t end = bytes.find('\n');
    if (end == 0 || end == std::string_view::npos) return std::nullopt;
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

QString NativeName(const std::string& codePagePath) {
    return QFile::decodeName(QByteArray::fromStdString(platform::NativePath(codePagePath)));
}

bool EnsureDraftFolder() {
    return platform::EnsureFolder(DataPath("hd")) && platform::EnsureFolder(DataPath("hd\\drafts"));
}

// Writes all of `bytes` and flushes them to the disk (QSaveFile itself only
// renames, so without this a power cut could leave an empty draft in place).
bool WriteDurably(QSaveFile& file, const std::string& bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size || !file.flush()) return false;
    return platform::FlushToDisk(file.handle());
}

bool AllEmpty(const DraftFields& fields) {
    return std::all_of(fields.begin(), fields.end(), [](const auto& f) { return f.empty(); });
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
    if (!EnsureDraftFolder()) return false;
    const std::string path = DraftPath(owner);
    // QSaveFile writes a temporary file beside the target and renames it into
    // place: a reader sees the old draft or the new one, never a mixture.
    QSaveFile file(NativeName(path));
    if (!file.open(QIODevice::WriteOnly) || !WriteDurably(file, EncodeDraft(owner, fields))) {
        qCWarning(lcDialogs) << "draft not written:" << file.fileName() << file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        qCWarning(lcDialogs) << "draft not committed:" << file.fileName() << file.errorString();
        return false;
    }
    platform::SyncFolderOf(path);  // the new name survives a power cut
    return true;
}

std::optional<DraftFields> ReadDraft(const DraftOwner& owner, size_t fieldCount) {
    QFile file(NativeName(DraftPath(owner)));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    return DecodeDraft(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                       owner, fieldCount);
}

bool RemoveDraft(const DraftOwner& owner) {
    return platform::RemoveFile(DraftPath(owner));
}

DraftKeeper::DraftKeeper(QObject* parent, std::string editor, size_t fieldCount,
                         std::function<DraftFields()> collect)
    : QObject(parent),
      owner_{std::move(editor), 0},
      fieldCount_(fieldCount),
      collect_(std::move(collect)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kQuietMs);
    connect(&timer_, &QTimer::timeout, this, &DraftKeeper::Write);
}

std::optional<DraftFields> DraftKeeper::Open(int recordId) {
    timer_.stop();
    owner_.recordId = recordId > 0 ? recordId : 0;
    return ReadDraft(owner_, fieldCount_);
}

void DraftKeeper::Changed() {
    timer_.start();
}

void DraftKeeper::Settle() {
    timer_.stop();
}

void DraftKeeper::Flush() {
    if (Pending()) Write();
}

void DraftKeeper::Discard() {
    timer_.stop();
    RemoveDraft(owner_);
}

void DraftKeeper::Write() {
    timer_.stop();
    const DraftFields fields = collect_();
    // A draft that cannot be written leaves the last one in place; the editor
    // still holds the text and the next pause tries again.
    if (AllEmpty(fields)) {
        RemoveDraft(owner_);
    } else {
        WriteDraft(owner_, fields);
    }
}

const char* DraftRestoredNotice() {
    return "已恢复上次未保存的内容";
}

QLabel* NewDraftNotice(QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(DraftRestoredNotice()), parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::darkRed);
    label->setPalette(palette);
    label->hide();
    return label;
}

}  // namespace korvane
