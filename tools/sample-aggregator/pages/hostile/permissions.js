// Asks for location and notifications, and tells what it was given.
window.addEventListener('load', function () {
    var learned = {};
    var waiting = 2;
    function got(name, value) {
        learned[name] = value;
        if (--waiting === 0)
            reportToAggregator(learned);
    }
    navigator.geolocation.getCurrentPosition(function () { got('location', 'granted'); },
        function (error) { got('location', error.code === error.PERMISSION_DENIED ? 'denied' : 'error'); });
    Notification.requestPermission().then(function (state) { got('notifications', state); });
});
