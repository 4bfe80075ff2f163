// On the favourites page (a local file titled "favorites"): a click on an entry's button is
// reported to the program as a navigation to "favcmd:" + the button's name; the program's
// navigation hook takes it from there and edits link.htm.
(function () {
    if (location.protocol !== "file:" || document.title.toLowerCase() !== "favorites" ||
        window.lumaroWatchesButtons)
        return;
    window.lumaroWatchesButtons = true;
    document.addEventListener("click", function (event) {
        const target = event.target;
        if (!target || target.tagName !== "INPUT" || (target.type || "").toLowerCase() !== "button")
            return;
        const name = target.getAttribute("name");
        if (!name)
            return;
        event.preventDefault();
        location.href = "favcmd:" + encodeURIComponent(name);
    }, true);
})();
