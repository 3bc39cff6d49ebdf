// Starts a download of a file the page names.
window.addEventListener('load', function () {
    var link = document.createElement('a');
    link.href = '/hostile/download.bin';
    link.download = 'trovix-hostile-download.bin';
    document.body.appendChild(link);
    link.click();
    setTimeout(function () { location.href = '/hostile/download.bin'; }, 100);
});
