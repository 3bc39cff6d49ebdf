// Never returns from its freeze event, so it can never be frozen.
document.addEventListener('freeze', function () {
    for (;;) {
    }
});
