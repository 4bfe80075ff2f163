// One fuzz target for all text algorithms: none may crash, hang or read out of bounds, and
// the fast HTML-to-text conversion must equal the literal one.
#include "common/linkaddress.h"
#include "editing/deletion.h"
#include "editing/groups.h"
#include "editing/templates.h"
#include "links/emailscanner.h"
#include "links/favouritesfile.h"
#include "links/linkscanner.h"
#include "links/selectionlinks.h"
#include "saving/charsetdeclaration.h"
#include "saving/filenaming.h"
#include "saving/linkrewriter.h"
#include "text/htmltotext.h"
#include "text/htmltotext_reference.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 4096)
        return 0; // the literal conversion is quadratic
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (int flags = 0; flags < 4; ++flags) {
        if (text::deleteHtmlTag(input, flags & 1, flags & 2) !=
            referenceDeleteHtmlTag(input, flags & 1, flags & 2))
            std::abort();
    }
    for (auto command : {links::LinkCommand::OpenAllW, links::LinkCommand::OpenPageA,
                         links::LinkCommand::OpenAllX, links::LinkCommand::OpenAllJ,
                         links::LinkCommand::OpenSelectA, links::LinkCommand::SaveToHref})
        links::scanLinks(input, QStringLiteral("http://h.example/d/p.htm?q#f"), command);
    links::emailsToAppend(input, links::scanEmails(input));
    saving::rewriteLinks(input, QStringLiteral("http://h.example/d/p.htm"));
    saving::correctName(input);
    const qsizetype third = input.size() / 3;
    saving::extractFileName(input, input.left(third % 7), input.mid(third, third % 5));
    saving::declareCharset(input, QStringLiteral("gb18030"));
    links::selectedLinks(input, QStringLiteral("http://h.example/d/"), input.mid(third, third));
    links::urlsInText(input);
    // The shortcut for plain names must give what the parser gives, on any base.
    for (const QString &base :
         {QStringLiteral("http://h.example/d/p.htm?q#f"), input.left(third)}) {
        common::AddressResolver resolver(base, QStringLiteral("GBK"));
        const QString value = input.mid(third);
        if (resolver.resolve(value) != resolver.resolveWithoutShortcut(value))
            std::abort();
    }
    common::documentBaseUrl(input, QStringLiteral("file:///d/p.htm"));
    common::declaredCharset(input);
    QString file = input;
    links::favourites::findEntry(file, input.left(third % 9));
    links::favourites::deleteEntry(file, input.left(third % 9));
    if (const auto added =
            links::favourites::addEntry(input, input.left(third), input.mid(third), "KEY"))
        links::favourites::findEntry(*added, QStringLiteral("B1KEY"));
    editing::fieldsToFill(input, editing::fillRules(input));
    editing::groupAddresses(input);
    editing::removeFavouriteHolding(input, input.mid(third, 3));
    return 0;
}
