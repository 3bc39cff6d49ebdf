// Never returns, once the page has loaded.
window.addEventListener('load', function () {
    setTimeout(function () {
        for (;;) {
        }
    }, 200);
});
