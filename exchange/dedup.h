// Which imported records the notebook already holds, so that importing the
// same file twice does not double its records.
#pragma once

#include <string>
#include <vector>

#include "store/storestatus.h"

namespace korvane {

// A record's compared fields as code-page bytes; `tel` counts for contacts only.
struct RecordKey {
    RecordKind kind = RecordKind::Note;
    std::string title;
    std::string content;
    std::string tel;
};

// For each incoming record, true when an existing record of its kind, or an
// earlier incoming one, has equal title and content (and telephone for a
// contact). The incoming texts are compared as the notebook would store them:
// ASCII apostrophes as full-width ones.
std::vector<bool> AlreadyThere(const std::vector<RecordKey>& existing,
                               const std::vector<RecordKey>& incoming);

}  // namespace korvane
