#pragma once

class QCoreApplication;

namespace shell {

// Makes the sizes and dates in Qt's file dialogs Chinese, whatever the user's locale. Qt's
// file system model writes them in QLocale::system(), which Qt reads from LC_ALL, LC_TIME,
// LANG... when the application object is made, and which QLocale::setDefault does not reach.
// Call before the application object exists: LC_ALL is zh_CN.UTF-8 while it is made, and
// useChinese gives the environment and the C library's locale back to the user's settings,
// so the engine's processes and the programs the browser starts see the user's own locale.
void prepareChineseSystemLocale();

// Makes Qt's own texts (file dialogs, standard buttons) and the engine's (the page's
// right-click menu, error pages) Chinese: the locale becomes zh_CN, and Qt's and Qt
// WebEngine's Chinese translations are installed when the system has them (Debian:
// qt6-translations-l10n), with the few file dialog words their qtbase catalogue lacks.
// Call after the application object exists and before the first page. Returns the number of
// translation files installed.
int useChinese(QCoreApplication &app);

} // namespace shell
