// Contacts as vCard: written as 3.0 or 4.0, read from 2.1, 3.0 and 4.0 files.
// A card written here reads back to the same stored bytes: texts go out as
// UTF-8 by the code page's exact rule (bytes GBK cannot hold travel as
// private-use characters) and come back through the same rule.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/exchangerecords.h"
#include "exchange/messengers.h"

namespace korvane {

enum class VCardVersion { V3, V4 };

// One card, CR LF line ends, lines folded at 75 octets between characters.
// FN and N from the name, TEL, NOTE from the remark exactly as stored, each
// messenger tag of the remark (the first 64) also as IMPP and as the
// service's X- property,
// REV from the save time with its local offset, UID and X-KORVANE-ID from
// the record number.
std::string WriteVCard(const ExchangedContact& contact, VCardVersion version = VCardVersion::V3);

// The IMPP line and the service's own property (X-QQ, X-MSN, X-SKYPE) for
// each messenger tag of `remark` with an id, the first 64 of them, folded as
// a card writes them; a tag `skip` names (it counts toward the 64) is left out.
std::string MessengerCardLines(std::string_view remark,
                               const std::function<bool(const MessengerId&)>& skip = {});

// Bounds on what a file may make the reader do.
struct VCardLimits {
    size_t maxFileBytes = size_t{64} << 20;
    size_t maxLineBytes = size_t{16} << 20;  // one property after unfolding
    size_t maxPropertiesPerCard = 5000;
};

struct VCardReadResult {
    std::vector<ExchangedContact> contacts;  // empty when `error` is set
    int skippedBinary = 0;                   // pictures, sounds, keys left out
    std::string error;  // code-page text naming the card and line; empty on success
};

// Every card of a file. Properties without a field of the record (e-mail,
// address, birthday, ...) become readable lines of the remark; messenger ids
// become tags unless the remark already holds that tag; binary data is
// skipped and counted. A file that breaks a limit or the format fails as a
// whole, so nothing half read is imported.
VCardReadResult ReadVCards(std::string_view bytes, const VCardLimits& limits = {});

}  // namespace korvane
