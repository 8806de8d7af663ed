#pragma once

#include <QByteArray>
#include <QString>

namespace velmarsk::fileheader {

// Binary files start with two length-prefixed texts: a fixed header text and a version text with a
// decimal comma ("1,13"), taken as 100 times the version.
inline constexpr const char* kText = "Tarnoki by Tarvik Olmandre Version: ";
inline constexpr int kTextLength = 36;
inline constexpr int kSize = 42;  // both texts with the version text 4 characters long

struct Header {
    int version = 0;  // 0: no header (the oldest layout, or an empty file)
    int size = 0;     // bytes the header takes
};

Header read(const QByteArray& start);  // needs at most the first 42 bytes
QByteArray make(const QString& versionText);
// "1,13" -> 113, computed on the digits so that no rounding can turn it into 112.
int versionNumber(const QByteArray& versionText);

}  // namespace velmarsk::fileheader
