// An advert image whose host never answers, so the page's load event never comes, and
// a script that keeps a core about 40 % busy meanwhile.
var stalled = new Image(1, 1);
stalled.src = '/hostile/stalled.gif';
document.body.appendChild(stalled);
setInterval(function () {
    var end = performance.now() + 20;
    while (performance.now() < end) {
    }
}, 50);
