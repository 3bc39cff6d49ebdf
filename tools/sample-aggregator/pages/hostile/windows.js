// Opens a pop-up, asks for full screen and follows a link to another program.
window.addEventListener('load', function () {
    var popup = window.open('/', 'popup', 'width=400,height=300');
    var fullScreen = document.documentElement.requestFullscreen();
    var frame = document.createElement('iframe');
    frame.style.display = 'none';
    frame.src = 'mailto:someone@example.com';
    document.body.appendChild(frame);
    fullScreen.then(function () { return 'granted'; }, function () { return 'denied'; })
        .then(function (state) { reportToAggregator({popup: popup === null ? 'null' : 'window', fullScreen: state}); });
});
