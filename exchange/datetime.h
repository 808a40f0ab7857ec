// The stored save time (cre_date, the local clock as "yyyy-mm-dd hh:mm:ss")
// and the ISO 8601 forms files carry it in, with the local offset of that
// moment so that other programs place it correctly.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

enum class IsoForm { Extended, Basic };  // 2026-12-08T20:52:35+08:00, 20261208T205235+0800

// The stored time with the local offset of that moment; nothing when the text
// is not a stored time.
std::optional<std::string> IsoFromStoredTime(std::string_view stored, IsoForm form);

// The moment of the stored time in UTC, basic form ("20261208T125235Z"), as
// calendar and address book items carry their stamps; nothing when the text
// is not a stored time.
std::optional<std::string> UtcFromStoredTime(std::string_view stored);

// The local clock time of an ISO 8601 date-time, extended or basic: the clock
// part as written when it carries an offset or none (that is the clock it was
// written on), converted to this machine's local time when it is UTC ("Z").
// A date alone gives midnight. Nothing for anything else.
std::optional<std::string> StoredTimeFromIso(std::string_view iso);

}  // namespace korvane
