#include "mainwindow/language.h"

#include <QString>
#include <QTranslator>
#include <string_view>

#include "mainwindow/windowlog.h"
#include "platform/uilanguage.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

// The compiled English texts, built from translations/korvane_en.ts.
constexpr char kEnglishFile[] = ":/i18n/korvane_en.qm";

// The translator behind Ui::tr lives as long as the process: the language is
// a process-wide choice (see platform/uitext.h).
QTranslator& Translator() {
    static QTranslator translator;
    return translator;
}

std::string Translate(std::string_view utf8, const char* disambiguation) {
    const std::string source(utf8);
    return Translator().translate(Ui::kContext, source.c_str(), disambiguation).toStdString();
}

}  // namespace

bool InstallLanguage(UiLanguage language) {
    if (language == UiLanguage::Chinese) {
        InstallUiTranslation(nullptr);
        return true;
    }
    if (!Translator().load(QString::fromLatin1(kEnglishFile))) {
        qCWarning(lcWindow) << "The English texts could not be loaded from" << kEnglishFile;
        InstallUiTranslation(nullptr);
        return false;
    }
    InstallUiTranslation(&Translate);
    return true;
}

UiLanguage InstallLanguageFromSettings(const std::string& iniPath) {
    const UiLanguage wanted = LoadUiLanguage(iniPath, platform::UserLanguageName());
    return InstallLanguage(wanted) ? wanted : UiLanguage::Chinese;
}

}  // namespace korvane
