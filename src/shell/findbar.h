#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace browser {
class BrowserView;
}

namespace shell {

// Find in page (Ctrl+F): a text box, next and previous, the number of matches.
class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget *parent = nullptr);

    void openFor(browser::BrowserView *view);
    void findNext(bool backward = false);
    void close();
    QString resultText() const;

private:
    void showResult(int active, int total);

    QLineEdit *m_text = nullptr;
    QLabel *m_result = nullptr;
    QPointer<browser::BrowserView> m_view;
};

} // namespace shell
