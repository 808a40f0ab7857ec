// A bounded XML reader over a whole document in memory, for the import of
// other programs' note files. The parse is event by event (start element,
// end element, text) and refuses, before anything is expanded or loaded:
//   - every entity declaration, internal or external, general or parameter
//     (so no entity is ever expanded and a file cannot make the parse grow);
//   - every external DTD or entity (none is ever loaded; a DOCTYPE naming an
//     external DTD without declaring entities is fine);
//   - elements nested deeper than a limit, and documents over a size limit.
// A reference to an undeclared entity, which a document with an external DTD
// may hold, is read as its character for the few HTML names note programs
// write (nbsp and the like) and refused otherwise.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace korvane {

struct XmlAttribute {
    std::string_view name;   // as written, with its prefix ("xml:space")
    std::string_view value;  // UTF-8, references resolved
};

// What a document is read into. The callbacks get names as written (with
// their prefix, no namespace processing) and text as UTF-8 in pieces; a
// callback ends the parse by calling Stop.
class XmlHandler {
  public:
    virtual ~XmlHandler() = default;
    virtual void OnStart(std::string_view name, std::span<const XmlAttribute> attributes) = 0;
    virtual void OnEnd(std::string_view name) = 0;
    virtual void OnText(std::string_view text) = 0;

    // Ends the parse after the current callback with this error (code-page
    // text saying what is wrong; ParseXml puts the line in front). The first
    // call wins.
    void Stop(std::string message) {
        if (stop_.empty()) stop_ = std::move(message);
    }
    const std::string& Stopped() const { return stop_; }

  private:
    std::string stop_;
};

struct XmlLimits {
    size_t maxBytes = size_t{64} << 20;
    int maxDepth = 256;
    // True to read the bytes as UTF-8 whatever the XML declaration says: for
    // a document embedded in another one, whose text is UTF-8 already.
    bool forceUtf8 = false;
};

// Parses the whole document into the handler. Empty on success; otherwise the
// error as code-page text naming what is wrong and where ("第 12 行: ...").
std::string ParseXml(std::string_view bytes, XmlHandler& handler, const XmlLimits& limits = {});

// The element name without its prefix: "size:large" gives "large".
std::string_view LocalName(std::string_view name);

// The value of the attribute of that name as written, or empty.
std::string_view AttributeValue(std::span<const XmlAttribute> attributes, std::string_view name);

}  // namespace korvane
