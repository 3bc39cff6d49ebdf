// Runs at the creation of every document, called with the tag that marks Trovix's
// console reports, the number of the navigation that Trovix asked for last and how long
// after its content is parsed a document counts as loaded when its load event has not
// come (an image or script that never arrives holds that event for ever). The registry
// on the top window maps tokens to documents and holds the kept element references; a
// cross-origin frame cannot reach the top window, so it is reported but never found.
// The top document also reports, with its navigation alone, once its content is parsed,
// and offers Trovix (in this world only) to report it complete at once.
(function (reportTag, navigation, graceMs) {
    var reported = false;
    function report() {
        if (reported)
            return;
        reported = true;
        var words = new Uint32Array(4);
        crypto.getRandomValues(words);
        var token = Array.prototype.join.call(words, '-');
        try {
            var top = window.top;
            var registry = top.__trovix
                || (top.__trovix = {documents: Object.create(null), references: Object.create(null)});
            // A frame that reloads again and again must not pile up dead documents.
            for (var old in registry.documents) {
                if (!registry.documents[old].defaultView)
                    delete registry.documents[old];
            }
            registry.documents[token] = document;
        } catch (e) {
        }
        console.log(reportTag + JSON.stringify([token, String(location.href), window === window.top, navigation]));
    }
    window.addEventListener('load', report);
    document.addEventListener('DOMContentLoaded', function () {
        if (window === window.top) {
            window.__trovixReportNow = report;
            console.log(reportTag + JSON.stringify([navigation]));
        }
        setTimeout(report, graceMs);
    });
})
