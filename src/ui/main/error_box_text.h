#pragma once

#include <string>

namespace dorvane::ui {

// The text of the application's error box: the error's text with a full stop appended,
// unless its last character is one already or sorts before it (a blank, a comma, a
// closing parenthesis), where another would look wrong.
std::string ErrorBoxText(const std::string& errorText);

// The caption of the application's boxes: the program file's name without its extension.
std::string ApplicationTitle(const std::string& programPath);

}  // namespace dorvane::ui
