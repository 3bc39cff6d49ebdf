(function () {
    var body = document.body;
    return body ? String(body.innerText) : '';
})
