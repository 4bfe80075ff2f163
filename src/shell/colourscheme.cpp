#include "colourscheme.h"

#include <QGuiApplication>
#include <QPalette>

namespace shell {

bool isDarkPalette(const QPalette &palette) {
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

QByteArray withColourScheme(const QByteArray &chromiumFlags, bool dark) {
    const QByteArray flag = QByteArrayLiteral("--force-dark-mode");
    if (!dark || chromiumFlags.split(' ').contains(flag))
        return chromiumFlags;
    return (chromiumFlags + ' ' + flag).trimmed();
}

void followDesktopColourScheme() {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            withColourScheme(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"),
                             isDarkPalette(QGuiApplication::palette())));
}

} // namespace shell
