// ReadMultistatus and DavErrorNames on any bytes: no crash, no sanitizer
// report, bounded work; an error and no response, or responses whose
// statuses are three-digit codes or none.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exchange/davxml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const korvane::Multistatus read = korvane::ReadMultistatus(in);
    if (!read.error.empty() && (!read.responses.empty() || !read.syncToken.empty())) std::abort();
    for (const korvane::DavResponse& response : read.responses)
        if (response.status != 0 && (response.status < 100 || response.status > 999)) std::abort();
    korvane::DavErrorNames(in, "valid-sync-token");
    return 0;
}
