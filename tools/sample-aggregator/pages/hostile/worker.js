// A worker that loops for ever.
new Worker(URL.createObjectURL(new Blob(['for (;;) {}'], {type: 'text/javascript'})));
