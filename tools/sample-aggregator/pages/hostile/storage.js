// Every page first reports what its origin holds (idb=entries local=items cache=entries);
// a tracking page then fills IndexedDB with as many 1 MB blobs as its "mb" parameter
// says (4 unless told), local storage with 2 MB and the Cache API with 1 MB, and
// reports once all is stored.
(function () {
    var megabytes = Number(new URL(document.currentScript.src).searchParams.get('mb')) || 4;
    var fills = location.pathname.indexOf('/all/') === 0;
    var open = indexedDB.open('trovix-hostile', 1);
    open.onupgradeneeded = function () {
        open.result.createObjectStore('blobs');
    };
    open.onsuccess = function () {
        var db = open.result;
        var count = db.transaction('blobs').objectStore('blobs').count();
        count.onsuccess = function () {
            caches.keys().then(function (names) {
                var held = {idb: count.result, local: localStorage.length, cache: names.length};
                if (!fills) {
                    reportToAggregator(held);
                    return;
                }
                localStorage.setItem(location.pathname, 'x'.repeat(1 << 20));
                var megabyte = new Uint8Array(1 << 20);
                var store = db.transaction('blobs', 'readwrite');
                for (var i = 0; i < megabytes; ++i)
                    store.objectStore('blobs').put(new Blob([megabyte, String(i)]), location.pathname + i);
                var stored = new Promise(function (resolve) {
                    store.oncomplete = resolve;
                });
                var cached = caches.open(location.pathname).then(function (cache) {
                    return cache.put('/hostile/cached', new Response(new Blob([megabyte])));
                });
                Promise.all([stored, cached]).then(function () {
                    reportToAggregator(held);
                });
            });
        };
    };
})();
