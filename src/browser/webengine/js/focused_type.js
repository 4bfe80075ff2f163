// The type of the focused form field, looking into same-origin frames; "" when none.
(function () {
    let e = document.activeElement;
    try {
        while (e && /^I?FRAME$/.test(e.tagName) && e.contentDocument)
            e = e.contentDocument.activeElement;
    } catch (err) { /* a frame of another site: stop at the frame */ }
    if (!e || e === document.body || e === document.documentElement)
        return "";
    if (e.isContentEditable)
        return "textarea";
    return typeof e.type === "string" ? e.type.toLowerCase() : e.tagName.toLowerCase();
})()
