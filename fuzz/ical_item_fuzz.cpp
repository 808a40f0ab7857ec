// ReadJournalItem and ReadCardItem on any bytes: no crash, no sanitizer
// report, bounded work; and whatever either accepts, written fresh, written
// back over the bytes themselves as the server's copy, and changed over
// them (other texts, one ending in "=", another save time), reads back to
// the same record and UID.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exchange/davitems.h"

namespace {

void CheckNote(const std::string& in) {
    const korvane::DavNoteRead read = korvane::ReadJournalItem(in);
    if (!read.error.empty()) return;
    korvane::ExchangedNote changed = read.note;
    changed.title.swap(changed.body);
    changed.title += "=";
    changed.date = changed.date.empty() ? "2026-12-08 20:52:35" : "";
    const std::string copies[] = {std::string(), in};
    for (const std::string& copy : copies) {
        for (const korvane::ExchangedNote& note : {read.note, changed}) {
            const korvane::DavNoteRead back =
                korvane::ReadJournalItem(korvane::WriteJournalItem(note, read.uid, copy));
            if (!back.error.empty() || !(back.note == note) || back.uid != read.uid) std::abort();
        }
    }
}

void CheckCard(const std::string& in) {
    const korvane::DavContactRead read = korvane::ReadCardItem(in);
    if (!read.error.empty()) return;
    korvane::ExchangedContact changed = read.contact;
    changed.name.swap(changed.tel);
    changed.tel += "=";
    changed.remark += "{QQ1QQ}";
    changed.date = changed.date.empty() ? "2026-12-08 20:52:35" : "";
    const std::string copies[] = {std::string(), in};
    for (const std::string& copy : copies) {
        for (const korvane::ExchangedContact& contact : {read.contact, changed}) {
            const korvane::DavContactRead back =
                korvane::ReadCardItem(korvane::WriteCardItem(contact, read.uid, copy));
            if (!back.error.empty() || !(back.contact == contact) || back.uid != read.uid)
                std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    CheckNote(in);
    CheckCard(in);
    return 0;
}
