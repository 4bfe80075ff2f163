#pragma once

class QCoreApplication;

namespace shell {

// Makes Qt's own texts (file dialogs, standard buttons) and the engine's (the page's
// right-click menu, error pages) Chinese: the locale becomes zh_CN, and Qt's and Qt
// WebEngine's Chinese translations are installed when the system has them. Call after the
// application object exists and before the first page. Returns the number of translation
// files installed.
int useChinese(QCoreApplication &app);

} // namespace shell
