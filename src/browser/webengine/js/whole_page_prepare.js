// One step of bringing in the pictures a page loads only when they come into view, before the
// page is kept whole: lazy pictures and frames are asked for at once and, where the page swaps
// pictures in by itself as they are scrolled to, the page is scrolled one screen further.
// "restore" puts the page back where the reader left it. Answers whether the end was reached
// and how many pictures are still on their way.
(function () {
    const action = $ACTION;
    const start = window.__lumaroWholeStart ||
        (window.__lumaroWholeStart = { x: window.scrollX, y: window.scrollY, moved: false });
    if (action === "restore") {
        if (start.moved)
            window.scrollTo(start.x, start.y);
        delete window.__lumaroWholeStart;
        return { atEnd: true, pending: 0 };
    }
    for (const element of document.querySelectorAll("img[loading=lazy], iframe[loading=lazy]"))
        element.loading = "eager";
    let pending = 0;
    let swapped = false;
    const lazyName = /^data-(src|original|lazy|url|actualsrc|echo|srcset|original-src|lazy-src)$/;
    for (const image of document.images) {
        if (!image.complete)
            ++pending;
        if (!swapped)
            swapped = Array.from(image.attributes).some(a => lazyName.test(a.name) && a.value);
    }
    if (!swapped)
        return { atEnd: true, pending: pending };
    const root = document.scrollingElement || document.documentElement;
    const screen = Math.max(window.innerHeight || 0, 400);
    const before = window.scrollY;
    window.scrollBy(0, screen);
    start.moved = true;
    const atEnd = window.scrollY === before || window.scrollY + screen >= root.scrollHeight;
    return { atEnd: atEnd, pending: pending };
})()
