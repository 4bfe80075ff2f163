#pragma once

#include <QLabel>

namespace browser {

// What a tab shows at once when it is shown while its page was let go to save memory: the
// page's last title and that it is loading again, over the whole tab, until the page has
// loaded (or the user clicks it away). The engine itself would show an empty page meanwhile.
class ReloadCover : public QLabel {
    Q_OBJECT
public:
    explicit ReloadCover(QWidget *tab);

    void cover(const QString &title, const QString &address);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace browser
