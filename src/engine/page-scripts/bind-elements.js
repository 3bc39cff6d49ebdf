// Looks up each [reference, element id] binding in the document with the token and
// keeps what it finds under the reference. A document still counts only while it is
// shown in a window. A frame that holds none of the elements (an advert, a pixel), or a
// document no longer shown, leaves the references alone while they point into a shown
// document: only the top document or a frame with the form moves them.
(function (token, bindings) {
    var registry = window.__trovix
        || (window.__trovix = {documents: Object.create(null), references: Object.create(null)});
    var document = registry.documents[token];
    var live = !!(document && document.defaultView);
    var shown = function (element) {
        return !!(element && element.isConnected && element.ownerDocument.defaultView);
    };
    var elements = bindings.map(function (binding) {
        try {
            return live ? document.getElementById(binding[1]) : null;
        } catch (e) {
            return null;
        }
    });
    var moves = live && (document.defaultView === window || elements.some(Boolean));
    var kept = bindings.map(function (binding) {
        return registry.references[binding[0]];
    });
    if (!moves && kept.some(shown))
        return kept.map(shown);
    bindings.forEach(function (binding, i) {
        registry.references[binding[0]] = elements[i];
    });
    return elements.map(Boolean);
})
