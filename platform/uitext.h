// The texts the program shows, in the language chosen at start.
//
// Every text the user sees is written in the code as its Chinese UTF-8
// literal inside Ui::tr(...). Qt's lupdate reads those calls (the class name
// is the translation context) into translations/korvane_*.ts; lrelease
// compiles them, and the program installs the one it uses at start. Without
// an installed translation, or for a text it lacks, Ui::tr gives exactly what
// Cp() gives: the literal's code-page bytes.
//
// The language is a process-wide choice, like the locale: it is made once at
// start, before the first text is built, and every library's texts follow it
// (the Qt-free libraries cannot reach a translator themselves). Call sites
// keep their texts in function-local statics, which stay right because the
// choice never changes while the program runs.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Read by lupdate as Q_DECLARE_TR_FUNCTIONS (tools/lupdate.sh passes the
// alias): it names Ui as the context of the texts below. Expands to nothing.
#define KORVANE_TR_CONTEXT(name)

// Marks a literal kept in a table for a later Ui::tr, so lupdate reads it
// (as QT_TRANSLATE_NOOP, with the context "Ui"). Expands to the literal.
#define KORVANE_TRANSLATE_NOOP(context, text) text

namespace korvane {

struct Ui {
    KORVANE_TR_CONTEXT(Ui)

    // The context lupdate gives the texts of Ui::tr.
    static constexpr const char* kContext = "Ui";

    // The shown form of a Chinese UTF-8 literal, in the code page: the
    // installed translation, or the literal's own code-page bytes. A
    // `disambiguation` (ASCII) tells apart uses of one Chinese text that
    // another language words differently, as lupdate's tr() reads it.
    static std::string tr(std::string_view utf8, const char* disambiguation = nullptr);
};

// `text` (code page) with %1 to %9 replaced by `args` in one pass, so the
// words around the values can stand in any order a language needs. A %
// followed by anything else, or a number without an argument, stays as it is.
std::string UiArgs(std::string_view text, std::initializer_list<std::string_view> args);

// A translation of a UTF-8 source text (with its disambiguation, or nullptr)
// into UTF-8; empty when there is none.
using UiTranslation = std::string (*)(std::string_view utf8, const char* disambiguation);

// Installs the process's translation once at start (nullptr: Chinese).
void InstallUiTranslation(UiTranslation translation);

}  // namespace korvane
