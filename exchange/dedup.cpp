#include "exchange/dedup.h"

#include <unordered_set>

#include "base/ansitext.h"
#include "platform/codepage.h"

namespace korvane {
namespace {

// Length-prefixed fields, so no choice of texts makes two keys collide.
std::string KeyOf(const RecordKey& record, bool stored) {
    static const std::string fullWidth = Cp("＇");
    const auto field = [&](const std::string& text) {
        const std::string value = stored ? text : ReplaceAll(text, "'", fullWidth);
        return std::to_string(value.size()) + ":" + value;
    };
    std::string key = record.kind == RecordKind::Contact ? "1" : "0";
    key += field(record.title) + field(record.content);
    if (record.kind == RecordKind::Contact) key += field(record.tel);
    return key;
}

}  // namespace

std::vector<bool> AlreadyThere(const std::vector<RecordKey>& existing,
                               const std::vector<RecordKey>& incoming) {
    std::unordered_set<std::string> keys;
    for (const RecordKey& record : existing) keys.insert(KeyOf(record, true));
    std::vector<bool> there;
    there.reserve(incoming.size());
    for (const RecordKey& record : incoming)
        there.push_back(!keys.insert(KeyOf(record, false)).second);
    return there;
}

}  // namespace korvane
