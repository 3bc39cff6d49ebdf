// Keeps a core about 40 % busy for as long as it runs.
setInterval(function () {
    var end = performance.now() + 20;
    while (performance.now() < end) {
    }
}, 50);
