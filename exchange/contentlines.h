// The content lines of iCalendar and vCard items: a text unfolded into
// properties (name, parameters, value) nested in BEGIN/END components, each
// property keeping the physical lines it came from, so that a line nobody
// changed is written back byte for byte.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct ContentParam {
    std::string name;   // upper-case; empty for a bare 2.1 parameter ("TEL;CELL")
    std::string value;  // without its quotes
};

struct ContentLine {
    std::string raw;    // the physical lines as written, joined by CR LF, no final line end
    std::string name;   // upper-case, without its group; empty for a line without a colon
    std::string group;  // "item1" of "item1.TEL", as written
    std::vector<ContentParam> params;
    std::string value;  // unfolded, quoted-printable soft breaks joined, not decoded

    // True when a parameter of that name (or a bare one) has that value,
    // compared without case.
    bool Has(std::string_view param, std::string_view value) const;
    // The first value of a parameter, or null.
    const std::string* Param(std::string_view param) const;
};

struct ContentComponent;

// One entry of a component: a property, or a component inside it.
struct ContentNode {
    ContentLine line;
    std::unique_ptr<ContentComponent> component;
};

struct ContentComponent {
    std::string name;  // upper-case: "VJOURNAL"
    ContentLine begin;
    ContentLine end;
    std::vector<ContentNode> nodes;

    // The component as written: every line raw, each ended by CR LF.
    std::string Raw() const;
};

struct ContentLimits {
    size_t maxBytes = size_t{16} << 20;
    int maxDepth = 16;
};

struct ContentParse {
    std::string error;               // code-page text; empty on success
    std::vector<ContentNode> nodes;  // the top level: properties and components
};

// Parses an item. Lines end in CR LF, LF or CR LF mixed; a line starting with
// a blank continues the one before; a quoted-printable value ending in "="
// goes on in the next line. An END that closes nothing open, or that names
// another component, a component left open, nesting deeper than the limit and
// a text over the size limit are errors.
ContentParse ParseContentLines(std::string_view text, const ContentLimits& limits = {});

// The first component of that name among the nodes (not inside others), or null.
const ContentComponent* FindComponent(const std::vector<ContentNode>& nodes, std::string_view name);

// "NAME;PARAMS:value" built anew from a line's group and parameters with
// another value, folded at 75 octets. Parameters naming a transfer encoding
// or a character set are left out, since the new value is plain UTF-8.
std::string RewrittenLine(const ContentLine& line, std::string_view value);

}  // namespace korvane
