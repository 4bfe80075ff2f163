#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWebEngineDownloadRequest;

namespace browser {

class PageDialogs;
class WebEngineView;

// The questions a page asks while it loads, put to the user through PageDialogs: an HTTP
// login, and whether to go on past a certificate error. Also prints the page to PDF.
class WebEnginePageHooks : public QObject {
    Q_OBJECT
public:
    // Lives as long as `view`; `dialogs` may be null (logins and bad certificates refused).
    WebEnginePageHooks(WebEngineView *view, PageDialogs *dialogs);

    // The page menu's "save page": the engine asks where, the save folder answers. Sets the
    // folder, a file name not taken yet and the format, then accepts. Does nothing to other
    // downloads or to saves whose place is set already.
    static void preparePageSave(QWebEngineDownloadRequest *request, const QString &folder);

private:
    void attach(); // to the view's page, once it exists
    QPointer<WebEngineView> m_view;
    PageDialogs *m_dialogs;
};

} // namespace browser
