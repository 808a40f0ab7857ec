// The messenger tags a contact's remark holds ("{QQ12345QQ}") and the names
// the services go by in vCard files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct MessengerService {
    std::string_view tag;       // "QQ", "MS", "SP", "AL"
    std::string_view scheme;    // IMPP scheme written
    std::string_view property;  // the de-facto X- property
};

const std::vector<MessengerService>& MessengerServices();

struct MessengerId {
    std::string_view tag;
    std::string id;  // code-page bytes
    bool operator==(const MessengerId&) const = default;
};

// The well-formed tags of a remark in order of appearance, each once: an
// opening, an id without braces or line breaks, the same tag's closing.
std::vector<MessengerId> MessengerTagsOf(std::string_view remark);

// The tag as the remark stores it.
std::string MessengerTag(std::string_view tag, std::string_view id);

// The service of an IMPP scheme or an X- property name (upper-case), or null.
const MessengerService* ServiceOfScheme(std::string_view lowerScheme);
const MessengerService* ServiceOfProperty(std::string_view upperName);

}  // namespace korvane
