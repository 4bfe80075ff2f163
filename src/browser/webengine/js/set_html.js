// Replaces the page's markup inside the document element; true when it did.
(function (html) {
    if (!document.documentElement)
        return false;
    document.documentElement.innerHTML = html;
    return true;
})($HTML)
