#pragma once

#include <QByteArray>

class QPalette;

// Pages that offer a dark look (the program's own among them) show it on a dark desktop: the
// engine is told the desktop's scheme, as browsers tell pages through prefers-color-scheme.
namespace shell {

// Whether a palette is a dark one: its windows darker than their text.
bool isDarkPalette(const QPalette &palette);

// The engine's flags with the dark scheme asked for when `dark`, unless they say so already.
// Example: "--no-sandbox" and dark give "--no-sandbox --force-dark-mode".
QByteArray withColourScheme(const QByteArray &chromiumFlags, bool dark);

// Sets QTWEBENGINE_CHROMIUM_FLAGS from the application's palette; call once the application
// object exists and before the first page.
void followDesktopColourScheme();

} // namespace shell
