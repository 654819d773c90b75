#include "ui/main/error_box_text.h"

#include "store/store_paths.h"

namespace dorvane::ui {

std::string ErrorBoxText(const std::string& errorText) {
    if (!errorText.empty() && static_cast<unsigned char>(errorText.back()) <= '.') {
        return errorText;
    }
    return errorText + '.';
}

std::string ApplicationTitle(const std::string& programPath) {
    const std::string name = FileNamePart(programPath);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace dorvane::ui
