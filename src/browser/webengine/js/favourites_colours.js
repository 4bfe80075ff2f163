// On the favourites page (a local file titled "favorites"): the page's own colours are light;
// on a dark desktop (the engine is told so) dark ones take their place. The user's file is
// not changed.
(function () {
    if (location.protocol !== "file:" || document.title.toLowerCase() !== "favorites" ||
        document.getElementById("lumaro-dark-colours"))
        return;
    const style = document.createElement("style");
    style.id = "lumaro-dark-colours";
    style.textContent = "@media (prefers-color-scheme: dark) {" +
        "body { background: #1f2023; color: #dddddd; }" +
        "h1 { color: #8ab4f8; }" +
        "th { background: #243b53; color: #ffffff; }" +
        "td { border-bottom-color: #3a3b3f; }" +
        ".normalcolorstyle { background-color: #26272b; color: #9cc4ff; }" +
        ".lightcolorstyle { background-color: #4a3f1a; color: #ffb4a8; }" +
        "a { color: #8ab4f8; } }";
    (document.head || document.documentElement).appendChild(style);
    const scheme = document.createElement("meta");
    scheme.name = "color-scheme";
    scheme.content = "light dark";
    (document.head || document.documentElement).appendChild(scheme);
})();
