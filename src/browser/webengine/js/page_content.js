// The page as it stands: the document's address (to tell the engine's first empty document
// from the page asked for), its markup inside the document element, and its character set.
(function () {
    return {
        url: document.URL,
        html: document.documentElement ? document.documentElement.innerHTML : "",
        charset: document.characterSet
    };
})()
