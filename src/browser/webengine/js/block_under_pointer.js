// What "以后不保存这一块（本网站）" points at, at the page point (X, Y): the smallest element
// under the pointer with a name of its own that other pages of the site share (an id without
// digits, else a class) and that is not the story (which holds half of the page's text or
// more); or, inside the story, the line under the pointer. Gives {selector} or {line}.
(function (x, y) {
    'use strict';
    var whole = (document.body && document.body.innerText || '').length;
    var isStory = function (e) {
        return (e.innerText || '').length * 2 >= whole;
    };
    var named = /^[^\s#.]+$/;
    var e = document.elementFromPoint(x, y);
    for (var up = e; up && up !== document.body && up !== document.documentElement;
         up = up.parentElement) {
        if (isStory(up))
            break;
        var tag = up.tagName.toLowerCase();
        if (up.id && named.test(up.id) && !/\d/.test(up.id))
            return {selector: tag + '#' + up.id};
        if (up.classList && up.classList.length && named.test(up.classList[0]))
            return {selector: tag + '.' + up.classList[0]};
    }
    // The line: the text node under the pointer (lines of a story often stand between <br>s),
    // else the smallest element's text.
    var text = '';
    var range = document.caretRangeFromPoint && document.caretRangeFromPoint(x, y);
    if (range && range.startContainer && range.startContainer.nodeType === 3)
        text = range.startContainer.data;
    else if (e && !isStory(e))
        text = e.innerText || '';
    text = text.split('\n').map(function (l) { return l.trim(); }).filter(Boolean)[0] || '';
    return {line: text};
})(X, Y)
