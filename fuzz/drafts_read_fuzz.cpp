// DecodeDraft on any bytes, as a file in a draft's place may hold anything:
// for each editor, record and field count it is asked for, a draft is either
// refused or decoded into exactly that many fields that encode back to the
// very bytes read (the format has one spelling for each draft, so nothing
// read is ever dropped, added or taken from beyond the input).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/draftfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const korvane::DraftOwner owners[] = {{"note", 0}, {"note", 5}, {"contact", 12}};
    for (const korvane::DraftOwner& owner : owners) {
        for (size_t fieldCount = 0; fieldCount <= 4; ++fieldCount) {
            const auto fields = korvane::DecodeDraft(bytes, owner, fieldCount);
            if (!fields) continue;
            if (fields->size() != fieldCount) std::abort();
            if (korvane::EncodeDraft(owner, *fields) != bytes) std::abort();
        }
    }
    return 0;
}
