// Asks once, on the tracking page, for a resource that wants a password.
if (location.pathname.indexOf('/all/') === 0) {
    var frame = document.createElement('iframe');
    frame.src = '/hostile/protected';
    document.body.appendChild(frame);
}
