// What every result of the XML note readers holds, whatever the input: a
// file is taken whole or not at all, titles are one line, bodies end their
// lines with CR LF, and the stored texts sanitise.
#pragma once

#include <cstdlib>

#include "exchange/xmlnotes.h"
#include "render/sanitize.h"

namespace korvane {

inline void CheckXmlNotes(const XmlNotesResult& read, size_t expectedNotes) {
    if (!read.error.empty()) {
        if (!read.notes.empty() || read.skipped != 0) std::abort();
        return;
    }
    if (read.skipped < 0 || (expectedNotes != 0 && read.notes.size() != expectedNotes))
        std::abort();
    for (const ExchangedNote& note : read.notes) {
        if (note.title.find_first_of("\r\n") != std::string::npos) std::abort();
        for (size_t i = 0; i < note.body.size(); ++i) {
            const bool lf = note.body[i] == '\n', cr = note.body[i] == '\r';
            if ((lf && (i == 0 || note.body[i - 1] != '\r')) ||
                (cr && (i + 1 == note.body.size() || note.body[i + 1] != '\n')))
                std::abort();
        }
        if (!note.date.empty() && note.date.size() != 19) std::abort();
        (void)SanitizeMarkup(note.body);
    }
}

}  // namespace korvane
