// The page's main article as Readability finds it, as JSON {title, content}; "" when the page
// has none. Readability changes the document it reads, so it reads a copy.
(function () {
    try {
        if (typeof Readability !== "function" || !document.documentElement)
            return "";
        var article = new Readability(document.cloneNode(true)).parse();
        if (!article || !article.content)
            return "";
        return JSON.stringify({ title: article.title || "", content: article.content });
    } catch (e) {
        return "";
    }
})()
