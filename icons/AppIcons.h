#pragma once
// The program's own pictures (icons/svg), rendered into the resource at build time.

#include <QIcon>
#include <QImage>

// Our picture NAME in every size it was rendered in.
[[nodiscard]] QIcon AppIcon(const char* name);
// The desktop theme's picture for a standard freedesktop name when the theme has one (so that
// "open", "save" or "print" look as in every other program), otherwise our picture NAME.
[[nodiscard]] QIcon ThemedAppIcon(const char* themeName, const char* name);
// Our picture NAME at one size, for places that draw images rather than icons (list rows).
[[nodiscard]] QImage AppImage(const char* name, int size);
