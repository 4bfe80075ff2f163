// Sets the value of the first element named so; true when there is one.
(function (name, value) {
    const e = document.getElementsByName(name)[0];
    if (!e)
        return false;
    if ("value" in e)
        e.value = value;
    else
        e.textContent = value;
    e.dispatchEvent(new Event("input", { bubbles: true }));
    e.dispatchEvent(new Event("change", { bubbles: true }));
    return true;
})($NAME, $VALUE)
