// Notes from other note programs' XML files: one note per .note file of the
// desktop note programs that write that format (version 0.2 and 0.3 files),
// and every note of an Evernote export (.enex). A file is taken whole or not
// at all: on any error no note comes back. All parsing goes through the
// bounded reader of xmlstream.h, so no entity is expanded and nothing outside
// the file is read.
//
// Text from a file is kept as it was written: a '<' in it is stored as '<',
// which is what the editor stores when one types it, and the page shows it as
// typed unless it spells one of the few tags the sanitiser keeps (a typed
// <span class="TBlank"> is bold in a note typed by hand as well). Markup the
// reader writes itself is only that kept markup: the bold snippet and links
// to web or mail addresses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/exchangerecords.h"

namespace korvane {

struct XmlNotesResult {
    std::vector<ExchangedNote> notes;
    int skipped = 0;    // attachments and encrypted parts left out
    std::string error;  // code page; empty on success, and then notes hold the file's notes
};

// One .note file: the title, the note's text (its first line dropped when it
// repeats the title; list items as "• " lines), the last change date (else the
// creation date).
XmlNotesResult ReadGnoteNote(std::string_view bytes);

// One .enex file: every note with its title, its content's text (block
// elements as lines, bold as the bold snippet, web and mail links kept,
// to-do boxes as "[ ] " and "[x] ") and its update date (else its creation
// date). Each resource and each encrypted part counts once in skipped.
XmlNotesResult ReadEnex(std::string_view bytes);

}  // namespace korvane
