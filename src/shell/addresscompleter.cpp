#include "addresscompleter.h"

#include "common/ansifile.h"
#include "common/urlrules.h"
#include "fulltext/indexservice.h"
#include "fulltext/resultspage.h"
#include "history/historyservice.h"
#include "links/favouriteslinks.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QThreadPool>

namespace shell {

namespace {

constexpr int kMaxRows = 12;
constexpr int kHistoryRows = 8;
constexpr int kSavedRows = 3;
// A favourites page larger than this is no one's own list; it is not read for the list.
constexpr qint64 kMaxFavouritesBytes = 8 << 20;

using history::Completion;

QString rowText(const Completion &row) {
    switch (row.kind) {
    case Completion::Kind::SearchSaved:
        return QStringLiteral("在已保存的网页中搜索 %1").arg(row.title);
    case Completion::Kind::Favourite:
        return QStringLiteral("★ %1 — %2").arg(row.title, row.address);
    case Completion::Kind::Saved:
        return QStringLiteral("[存] %1 — %2").arg(row.title, row.address);
    case Completion::Kind::History:
        break;
    }
    return row.title.isEmpty() ? row.address
                               : QStringLiteral("%1 — %2").arg(row.title, row.address);
}

} // namespace

AddressCompleter::AddressCompleter(QComboBox &box, QWidget &window)
    : QObject(&window), m_box(box), m_edit(box.lineEdit()), m_window(window),
      m_list(new QListWidget(&window)) {
    m_list->setObjectName(QStringLiteral("AddressCompletions"));
    m_list->setFocusPolicy(Qt::NoFocus); // the box keeps the keys
    m_list->setFrameShape(QFrame::Box);
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->hide();
    // The box's own completion from its items would write into what the user types.
    m_box.setCompleter(nullptr);
    connect(m_edit, &QLineEdit::textEdited, this, &AddressCompleter::typed);
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { choose(m_list->row(item)); });
    // Keys come to the box itself when it has the focus (it hands them to its line edit), or to
    // the line edit: the list takes its keys from both.
    m_edit->installEventFilter(this);
    m_box.installEventFilter(this);
}

void AddressCompleter::setHistory(history::HistoryService *history) {
    m_history = history;
}

void AddressCompleter::setIndex(fulltext::IndexService *index) {
    m_index = index;
}

QList<Completion> AddressCompleter::rows() const {
    return isShown() ? m_rows : QList<Completion>();
}

bool AddressCompleter::isShown() const {
    return m_list->isVisible();
}

const QList<Completion> &AddressCompleter::favourites() {
    const QFileInfo file(m_favouritesPath);
    if (m_favouritesPath.isEmpty() || !file.isFile() || file.size() > kMaxFavouritesBytes) {
        m_favourites.clear();
        return m_favourites;
    }
    if (m_favouritesReading ||
        (file.lastModified() == m_favouritesRead && file.size() == m_favouritesSize))
        return m_favourites;
    // Read off the window's thread (ten thousand entries take tens of milliseconds); the list
    // is drawn again when they are in.
    m_favouritesReading = true;
    m_favouritesRead = file.lastModified();
    m_favouritesSize = file.size();
    QPointer<AddressCompleter> self(this);
    QThreadPool::globalInstance()->start([self, path = m_favouritesPath] {
        QList<Completion> entries;
        const common::TextFileContent content = common::readTextFile(path);
        if (content.ok) {
            for (const links::favourites::Entry &entry : links::favourites::entryList(content.text))
                entries.append({Completion::Kind::Favourite, entry.address, entry.comment});
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, entries = std::move(entries)] {
                if (!self)
                    return;
                self->m_favourites = entries;
                self->m_favouritesReading = false;
                if (self->isShown())
                    self->show();
            },
            Qt::QueuedConnection);
    });
    return m_favourites;
}

void AddressCompleter::typed(const QString &text) {
    m_typed = text;
    m_fromHistory.clear();
    m_fromSaved.clear();
    if (history::completionWords(text).isEmpty()) {
        hide();
        return;
    }
    const QString asked = text;
    if (m_history) {
        m_history->suggest(asked, kHistoryRows, [this, asked](const QList<Completion> &found) {
            if (asked != m_typed)
                return;
            m_fromHistory = found;
            show();
        });
    }
    if (m_index) {
        QString titles;
        for (const QString &word : history::completionWords(text))
            titles += QStringLiteral("title:%1 ").arg(word);
        fulltext::SearchFilters saved;
        saved.scope = fulltext::SearchFilters::Scope::Saved;
        m_index->search(
            titles, 0, kSavedRows,
            [this, asked](const fulltext::SearchResults &results) {
                if (asked != m_typed)
                    return;
                for (const fulltext::SearchHit &hit : results.hits)
                    m_fromSaved.append({Completion::Kind::Saved,
                                        QUrl::fromLocalFile(hit.path).toString(), hit.title});
                show();
            },
            saved);
    }
    show();
}

void AddressCompleter::show() {
    const QString chosenAddress = m_list->currentRow() >= 0 && m_list->currentRow() < m_rows.size()
                                      ? m_rows.at(m_list->currentRow()).address
                                      : QString();
    m_rows = history::completionList(m_typed, favourites(), m_fromHistory, m_fromSaved, kMaxRows);
    if (m_rows.isEmpty() || !m_edit->hasFocus()) {
        hide();
        return;
    }
    m_list->clear();
    for (const Completion &row : std::as_const(m_rows))
        m_list->addItem(rowText(row));
    // A row the user moved to stays chosen while later answers fill the list.
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!chosenAddress.isEmpty() && m_rows.at(i).address == chosenAddress)
            m_list->setCurrentRow(i);
    }
    const QPoint under = m_box.mapTo(&m_window, QPoint(0, m_box.height()));
    const int rowHeight = qMax(m_list->sizeHintForRow(0), m_list->fontMetrics().height() + 2);
    // Every row shown, never more than the window has room for below the box.
    const int height = qMin(rowHeight * int(m_rows.size()) + 2 * m_list->frameWidth() + 4,
                            m_window.height() - under.y());
    m_list->setGeometry(under.x(), under.y(), m_box.width(), height);
    m_list->raise();
    m_list->show();
}

void AddressCompleter::hide() {
    m_typed.clear(); // answers still to come are for a list no longer wanted
    m_list->hide();
    m_list->clear();
    m_rows.clear();
}

void AddressCompleter::choose(int row) {
    if (row < 0 || row >= m_rows.size())
        return;
    const Completion chosenRow = m_rows.at(row);
    hide();
    QString address = chosenRow.address;
    if (chosenRow.kind == Completion::Kind::SearchSaved) {
        address = fulltext::resultsAddress(common::programPageUrl(QStringLiteral("searchsaved")),
                                           {chosenRow.title, 0})
                      .toString(QUrl::FullyEncoded);
    }
    Q_EMIT chosen(address);
}

void AddressCompleter::removeChosenFromHistory() {
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_rows.size() || m_rows.at(row).kind != Completion::Kind::History ||
        !m_history)
        return;
    const QString address = m_rows.at(row).address;
    m_history->remove(history::HistoryService::Removal::Page, address, [](int) {});
    m_fromHistory.removeIf([&](const Completion &c) { return c.address == address; });
    m_list->setCurrentRow(-1);
    show();
    if (isShown())
        m_list->setCurrentRow(qMin(row, int(m_rows.size()) - 1));
}

bool AddressCompleter::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_edit && watched != &m_box)
        return false;
    if (event->type() == QEvent::FocusOut) {
        hide();
        return false;
    }
    if (event->type() != QEvent::KeyPress || !isShown())
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const int count = int(m_rows.size());
    switch (key->key()) {
    case Qt::Key_Down:
        m_list->setCurrentRow((m_list->currentRow() + 1) % count);
        return true;
    case Qt::Key_Up:
        m_list->setCurrentRow(m_list->currentRow() <= 0 ? count - 1 : m_list->currentRow() - 1);
        return true;
    case Qt::Key_Escape:
        hide();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_list->currentRow() < 0) {
            hide(); // the box opens what was typed
            return false;
        }
        choose(m_list->currentRow());
        return true;
    case Qt::Key_Delete:
        if (key->modifiers() & Qt::ShiftModifier) {
            removeChosenFromHistory();
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace shell
