#pragma once

#include "watch/settings_check.h"

#include <string>
#include <vector>

namespace kumoden {

// The language the check's lines are told in.
enum class Language {
    japanese,
    english,
};

// The messages locale's language on Linux: the first of LC_ALL,
// LC_MESSAGES and LANG that is set (not empty) decides. "C", "POSIX",
// "C.<codeset>" and those starting with "en" ("en_US.UTF-8", ...) are
// English; any other, or none set, Japanese.
Language LanguageOfLocale(const std::string& lcAll, const std::string& lcMessages, const std::string& lang);

// "[OK] <item>: <detail>" or "[NG] <item>: <detail>", without a line end.
std::string CheckLineText(const CheckLine& line, Language language);

// Every line, then the verdict: how many settings are unusable, if any;
// each line ends in "\n".
std::string CheckReport(const std::vector<CheckLine>& lines, Language language);

} // namespace kumoden
