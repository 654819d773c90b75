#pragma once

#include <string>

#include <QString>

namespace dorvane::ui {

// Mail texts are 8-bit text of the code page that wrote them and are shown undecoded. On
// Windows that is the system code page; elsewhere each byte shows as the character of the
// same value, as the command line's JSON writes them, so no byte is lost or replaced.
inline QString ShownText(const std::string& text) {
#ifdef _WIN32
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
#else
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
#endif
}

// Paths as the file functions take them.
inline std::string PathText(const QString& path) {
#ifdef _WIN32
    return path.toLocal8Bit().toStdString();
#else
    return path.toUtf8().toStdString();
#endif
}

inline QString PathQString(const std::string& path) {
#ifdef _WIN32
    return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
#else
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
#endif
}

}  // namespace dorvane::ui
