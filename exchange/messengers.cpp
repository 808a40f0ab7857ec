#include "exchange/messengers.h"

#include <unordered_set>

namespace korvane {

const std::vector<MessengerService>& MessengerServices() {
    static const std::vector<MessengerService> services = {
        {"QQ", "qq", "X-QQ"},
        {"MS", "msnim", "X-MSN"},
        {"SP", "skype", "X-SKYPE"},
        {"AL", "aliim", "X-ALIWANGWANG"},
    };
    return services;
}

std::string MessengerTag(std::string_view tag, std::string_view id) {
    std::string out = "{";
    out.append(tag).append(id).append(tag).append("}");
    return out;
}

std::vector<MessengerId> MessengerTagsOf(std::string_view remark) {
    std::vector<MessengerId> found;
    std::unordered_set<std::string> seen;
    for (size_t at = remark.find('{'); at != std::string_view::npos;
         at = remark.find('{', at + 1)) {
        for (const MessengerService& service : MessengerServices()) {
            if (remark.substr(at + 1, 2) != service.tag) continue;
            const size_t begin = at + 3;
            const size_t end = remark.find_first_of("{}\r\n", begin);
            if (end == std::string_view::npos || remark[end] != '}' || end < begin + 2) break;
            if (remark.substr(end - 2, 2) != service.tag) break;
            MessengerId item{service.tag, std::string(remark.substr(begin, end - 2 - begin))};
            if (seen.insert(MessengerTag(item.tag, item.id)).second)
                found.push_back(std::move(item));
            break;
        }
    }
    return found;
}

const MessengerService* ServiceOfScheme(std::string_view lowerScheme) {
    if (lowerScheme == "msn") lowerScheme = "msnim";
    if (lowerScheme == "callto") lowerScheme = "skype";
    for (const MessengerService& service : MessengerServices())
        if (service.scheme == lowerScheme) return &service;
    return nullptr;
}

const MessengerService* ServiceOfProperty(std::string_view upperName) {
    if (upperName == "X-SKYPE-USERNAME") upperName = "X-SKYPE";
    for (const MessengerService& service : MessengerServices())
        if (service.property == upperName) return &service;
    return nullptr;
}

}  // namespace korvane
