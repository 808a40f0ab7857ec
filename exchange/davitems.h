// Records as the items of sync servers: a note is one VJOURNAL of a calendar
// collection (title in SUMMARY, body in DESCRIPTION), a contact is one vCard
// of an address book. A record that goes up and comes back unchanged is the
// same stored bytes: texts travel as UTF-8 by the code page's exact rule,
// CR LF as the formats' "\n", and the stored save time also as it is.
//
// The last copy the server held of an item is kept, so that a write keeps
// everything in it the notebook does not own (a phone's e-mail, address,
// photo, categories, alarms): those lines stay byte for byte, and only the
// owned properties are replaced.
#pragma once

#include <string>
#include <string_view>

#include "exchange/exchangerecords.h"

namespace korvane {

// A note as a calendar object: VCALENDAR (VERSION, PRODID) with one VJOURNAL
// holding UID, DTSTAMP and LAST-MODIFIED (UTC, from the stored time with its
// local offset), SUMMARY, DESCRIPTION and X-KORVANE-DATE (the stored time
// as it is). With a `serverCopy`, its lines and components that the notebook
// does not own stay as they are.
std::string WriteJournalItem(const ExchangedNote& note, std::string_view uid,
                             std::string_view serverCopy = {});

// A contact as a vCard 3.0 (or in the version of `serverCopy`): FN and N from
// the name (N only when the name changed from the copy's FN, so a phone's
// structured name stays), the first TEL, the first NOTE, the messenger tags
// of the remark as IMPP and X-QQ/X-MSN/X-SKYPE, REV, UID, X-KORVANE-DATE.
std::string WriteCardItem(const ExchangedContact& contact, std::string_view uid,
                          std::string_view serverCopy = {});

// What an item read gives: the record's fields (id 0) and its UID, or an
// error (code-page text) for an item that is not one journal entry / card.
struct DavNoteRead {
    std::string error;
    std::string uid;
    ExchangedNote note;
};
struct DavContactRead {
    std::string error;
    std::string uid;
    ExchangedContact contact;
};

// The first VJOURNAL of a calendar object: SUMMARY the title, the first
// DESCRIPTION the body ("\n" as CR LF), the date from X-KORVANE-DATE when
// LAST-MODIFIED (or DTSTAMP) is still the moment it names, else from
// LAST-MODIFIED, DTSTAMP or DTSTART in local time. Characters GBK cannot hold
// are stored by the code page's rule. An object without a VJOURNAL, or with
// a VTODO or VEVENT only, is an error.
DavNoteRead ReadJournalItem(std::string_view text);

// One vCard (2.1, 3.0 or 4.0): FN (or N joined) the name, the first TEL, the
// first NOTE the remark, the date as for a note from X-KORVANE-DATE and REV.
// Nothing else goes into the remark: what the notebook does not own stays in
// the server copy.
DavContactRead ReadCardItem(std::string_view text);

}  // namespace korvane
