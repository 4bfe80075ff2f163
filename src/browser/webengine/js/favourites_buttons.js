// On the favourites page (a local file titled "favorites"): a click on an entry's button is
// reported to the program as a navigation to "favcmd:" + the button's name; the program's
// navigation hook takes it from there and edits link.htm. An entry that is no web page or
// file is not followed, and reported as "favcmd:refused:" + its address.
(function () {
    if (location.protocol !== "file:" || document.title.toLowerCase() !== "favorites" ||
        window.lumaroWatchesButtons)
        return;
    window.lumaroWatchesButtons = true;
    // An entry opens web pages and files only: a "javascript:" entry written into link.htm by
    // hand (or by another program) would run here, in a page that may open anything.
    const opens = function (address) {
        try {
            const protocol = new URL(address, location.href).protocol;
            return protocol === "http:" || protocol === "https:" || protocol === "file:";
        } catch (e) {
            return false;
        }
    };
    document.addEventListener("click", function (event) {
        const target = event.target instanceof Element ? event.target : null;
        if (!target)
            return;
        const cell = target.closest("[onclick]");
        const link = target.closest("a[href]");
        let address = null;
        if (cell) {
            const found = /location\.href\s*=\s*'([^']*)'/.exec(cell.getAttribute("onclick"));
            address = found ? found[1] : null;
        }
        if (address === null && link)
            address = link.getAttribute("href");
        if (address === null || opens(address))
            return;
        event.preventDefault();
        event.stopImmediatePropagation();
        location.href = "favcmd:" + encodeURIComponent("refused:" + address.slice(0, 200));
    }, true);
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
