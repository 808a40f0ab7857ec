// The page's own texts (main.html, main.js) in the language of the program.
#pragma once

#include <QString>

namespace korvane {

// A JSON object from each Chinese text the page writes to the text to show,
// for the page's T() (see data/hd/main.js); "{}" when the texts are Chinese.
QString PageTextsJson();

}  // namespace korvane
