// The page's markup inside the document element ("" before there is a document).
(function () {
    return document.documentElement ? document.documentElement.innerHTML : "";
})()
