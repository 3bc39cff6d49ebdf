// The visible text of the body, at most `cap` UTF-16 units of it.
(function (cap) {
    var body = document.body;
    var text = body ? String(body.innerText) : '';
    return text.length > cap ? text.slice(0, cap) : text;
})
