#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "browser/browserview.h"

namespace shell {

// Keeps what the user types into a tab whose page has not arrived yet (the results page right
// after 搜, whose box takes the focus once it is there): the engine drops keys that come before
// the document. Once the page has loaded, the text goes into its focused box. Ends itself then,
// or when the tab goes.
class TypeAhead : public QObject {
    Q_OBJECT
public:
    static void keep(browser::BrowserView *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TypeAhead(browser::BrowserView *view);
    void handOver();
    bool isInView(QObject *object) const;

    QPointer<browser::BrowserView> m_view;
    QString m_typed;
};

} // namespace shell
