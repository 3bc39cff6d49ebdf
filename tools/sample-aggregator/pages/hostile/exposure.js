// Tells whether WebAssembly and WebGL are there.
window.addEventListener('load', function () {
    var canvas = document.createElement('canvas');
    reportToAggregator({wasm: typeof WebAssembly, webgl: !!canvas.getContext('webgl')});
});
