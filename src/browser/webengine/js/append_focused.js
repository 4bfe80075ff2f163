// Appends the text to the value of the focused text field; true when it did.
(function (text) {
    let e = document.activeElement;
    try {
        while (e && /^I?FRAME$/.test(e.tagName) && e.contentDocument)
            e = e.contentDocument.activeElement;
    } catch (err) { return false; }
    if (!e)
        return false;
    if (e.isContentEditable) {
        e.textContent += text;
    } else {
        const type = typeof e.type === "string" ? e.type.toLowerCase() : "";
        if (type !== "text" && type !== "textarea" && type !== "password")
            return false;
        e.value += text;
    }
    e.dispatchEvent(new Event("input", { bubbles: true }));
    return true;
})($TEXT)
