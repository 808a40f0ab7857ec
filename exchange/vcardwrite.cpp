// Writing one contact as a vCard.
#include <string>

#include "exchange/datetime.h"
#include "exchange/messengers.h"
#include "exchange/vcard.h"
#include "exchange/vcardtext.h"
#include "platform/codepage.h"

namespace korvane {
namespace {

constexpr size_t kMessengerProperties = 64;

std::string Text(std::string_view stored) {
    return EscapeVCardText(platform::FromCodePage(stored));
}

}  // namespace

std::string MessengerCardLines(std::string_view remark,
                               const std::function<bool(const MessengerId&)>& skip) {
    std::string out;
    size_t written = 0;
    for (const MessengerId& item : MessengerTagsOf(remark)) {
        if (item.id.empty()) continue;
        if (++written > kMessengerProperties) break;
        if (skip && skip(item)) continue;
        const MessengerService* service = nullptr;
        for (const MessengerService& s : MessengerServices())
            if (s.tag == item.tag) service = &s;
        const std::string id = platform::FromCodePage(item.id);
        out += FoldVCardLine("IMPP:" + std::string(service->scheme) + ":" + PercentEncode(id));
        out += FoldVCardLine(std::string(service->property) + ":" + EscapeVCardText(id));
    }
    return out;
}

std::string WriteVCard(const ExchangedContact& contact, VCardVersion version) {
    const bool v4 = version == VCardVersion::V4;
    const std::string name = Text(contact.name);
    std::string out = "BEGIN:VCARD\r\n";
    out += v4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
    out += FoldVCardLine("FN:" + name);
    out += FoldVCardLine("N:" + name + ";;;;");
    if (!contact.tel.empty())
        out += FoldVCardLine((v4 ? "TEL;VALUE=text:" : "TEL:") + Text(contact.tel));
    if (!contact.remark.empty()) out += FoldVCardLine("NOTE:" + Text(contact.remark));
    // The NOTE carries every tag; the first ones are also written where address
    // books look for them, few enough that the card stays within a reader's
    // property limit.
    out += MessengerCardLines(contact.remark);
    if (auto rev = IsoFromStoredTime(contact.date, v4 ? IsoForm::Basic : IsoForm::Extended))
        out += "REV:" + *rev + "\r\n";
    // Address books that keep one card per file (and sync) refuse a card
    // without a UID; the record number keeps it stable across exports. In
    // 4.0 a UID is a URI unless it says it is text.
    if (contact.id > 0) {
        out +=
            (v4 ? "UID;VALUE=text:korvane-" : "UID:korvane-") + std::to_string(contact.id) + "\r\n";
        out += "X-KORVANE-ID:" + std::to_string(contact.id) + "\r\n";
    }
    out += "END:VCARD\r\n";
    return out;
}

}  // namespace korvane
