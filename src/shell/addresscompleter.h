#pragma once

#include "history/addresscompletion.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

class QComboBox;
class QLineEdit;
class QListWidget;
class QWidget;

namespace fulltext {
class IndexService;
}
namespace history {
class HistoryService;
}

namespace shell {

// The list under the address box while the user types: favourites and imported bookmarks,
// the pages visited most and most lately, saved pages by their titles, and a last row that
// searches the saved pages. Up and Down choose a row, Enter opens it, a click too, Shift+Delete
// takes a visited page out of the history, Esc closes the list. Only what the user typed (or an
// input method committed) is looked up, never what the program puts into the box; the lookups
// run off the window's thread and an answer for text no longer in the box is dropped.
class AddressCompleter : public QObject {
    Q_OBJECT
public:
    AddressCompleter(QComboBox &box, QWidget &window);

    // Where the rows come from; each may be null (that part of the list is left out).
    void setHistory(history::HistoryService *history);
    void setIndex(fulltext::IndexService *index);
    void setFavouritesPath(const QString &path) { m_favouritesPath = path; }

    // The rows shown (empty while the list is closed), for the tests and the bench.
    QList<history::Completion> rows() const;
    bool isShown() const;
    QListWidget *listWidget() const { return m_list; }

Q_SIGNALS:
    // The user chose a row: the address to open.
    void chosen(const QString &address);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void typed(const QString &text);
    void show();
    void hide();
    void choose(int row);
    void removeChosenFromHistory();
    const QList<history::Completion> &favourites();

    QComboBox &m_box;
    QLineEdit *m_edit;
    QWidget &m_window;
    QListWidget *m_list;
    QPointer<history::HistoryService> m_history;
    QPointer<fulltext::IndexService> m_index;
    QString m_favouritesPath;
    QList<history::Completion> m_favourites; // read again when the file changes
    QDateTime m_favouritesRead;
    qint64 m_favouritesSize = -1;
    bool m_favouritesReading = false;

    QString m_typed; // what the rows are for
    QList<history::Completion> m_fromHistory;
    QList<history::Completion> m_fromSaved;
    QList<history::Completion> m_rows;
};

} // namespace shell
