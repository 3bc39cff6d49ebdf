// An advert frame added well after the page has loaded, reloading itself.
window.addEventListener('load', function () {
    setTimeout(function () {
        var frame = document.createElement('iframe');
        frame.src = '/ads/rotating.html';
        document.body.appendChild(frame);
    }, 300);
});
