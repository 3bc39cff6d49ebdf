// The result page reloads itself every 300 ms, for ever.
if (location.pathname.indexOf('/query/') === 0) {
    window.addEventListener('load', function () {
        setTimeout(function () { location.reload(); }, 300);
    });
}
