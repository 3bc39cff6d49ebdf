// The visible text of the body, at most `cap` UTF-16 units of it, with its line breaks as
// CR LF, answered from `start` on in pieces of about `piece` units: a piece never ends
// between a CR and its LF. The text is taken when start is 0 and kept in this world, out of
// the page's reach, until its last piece is answered. Answers [piece, more] or, when the
// text is no longer kept (the document was replaced), null.
(function (cap, start, piece) {
    if (start === 0) {
        var body = document.body;
        var text = body ? String(body.innerText) : '';
        window.__trovixBodyText = (text.length > cap ? text.slice(0, cap) : text).replace(/\r?\n/g, '\r\n');
    }
    var whole = window.__trovixBodyText;
    if (typeof whole !== 'string')
        return null;
    var end = Math.min(whole.length, start + piece);
    if (end < whole.length && whole.charAt(end - 1) === '\r' && whole.charAt(end) === '\n')
        ++end;
    if (end >= whole.length)
        delete window.__trovixBodyText;
    return [whole.slice(start, end), end < whole.length];
})
