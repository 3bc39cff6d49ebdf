// Looks up each [reference, element id] binding in the document with the token and
// keeps what it finds under the reference. A document still counts only while it is
// shown in a window.
(function (token, bindings) {
    var registry = window.__trovix
        || (window.__trovix = {documents: Object.create(null), references: Object.create(null)});
    var document = registry.documents[token];
    var live = !!(document && document.defaultView);
    return bindings.map(function (binding) {
        var element = null;
        try {
            element = live ? document.getElementById(binding[1]) : null;
        } catch (e) {
        }
        registry.references[binding[0]] = element;
        return !!element;
    });
})
