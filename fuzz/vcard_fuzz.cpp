// ReadVCards on any bytes: no crash, no sanitizer report, bounded work; and
// whatever it accepts comes back the same when written as 3.0 and as 4.0
// and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exchange/vcard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    korvane::VCardLimits limits;
    limits.maxLineBytes = 1 << 16;
    limits.maxPropertiesPerCard = 200;
    const korvane::VCardReadResult read = korvane::ReadVCards(in, limits);
    if (!read.error.empty()) {
        if (!read.contacts.empty()) std::abort();
        return 0;
    }
    for (const korvane::ExchangedContact& contact : read.contacts) {
        for (const auto version : {korvane::VCardVersion::V3, korvane::VCardVersion::V4}) {
            const korvane::VCardReadResult again =
                korvane::ReadVCards(korvane::WriteVCard(contact, version));
            if (!again.error.empty() || again.contacts.size() != 1 ||
                !(again.contacts[0] == contact))
                std::abort();
        }
    }
    return 0;
}
