// A frame from another site (any name under "localhost" is this machine).
var frame = document.createElement('iframe');
frame.src = 'http://elsewhere.localhost:' + location.port + '/hostile/third-party-frame';
document.body.appendChild(frame);
