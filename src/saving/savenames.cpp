#include "savenames.h"

#include "fallbackname.h"
#include "filenaming.h"

namespace saving {

QString saveName(const NameSources &s) {
    const auto orDated = [&s](const QString &name) {
        return nameOrFallback(name, s.title, s.url, s.when);
    };
    switch (s.kind) {
    case SaveKind::Page:
    case SaveKind::Text:
        return orDated(correctName(s.selection));
    case SaveKind::PageInBatch: {
        QString name = s.selectionIsText ? correctName(s.selection) : QString();
        if (name.isEmpty())
            name = correctName(shownTitle(s.title, s.url));
        return name.isEmpty() ? QStringLiteral("No") + QString::number(s.viewNumber) : name;
    }
    case SaveKind::TextInBatch: {
        const QString name = s.selectionIsText ? correctName(s.selection) : QString();
        return name.isEmpty() ? s.batchName + QString::number(s.viewNumber) : name;
    }
    case SaveKind::Selection:
        return orDated(correctName(s.selection.left(10)));
    case SaveKind::WholePage:
        return orDated(QString());
    case SaveKind::Pdf: {
        const QString name = correctName(s.title);
        return name.isEmpty() ? QStringLiteral("网页") : name;
    }
    }
    return orDated(QString());
}

} // namespace saving
