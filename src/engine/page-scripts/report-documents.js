// Runs at the creation of every document, in Trovix's own world, called with the name of
// the binding that reports to Trovix (it exists in this world only), the number of the
// navigation that Trovix asked for last and how long after its content is parsed a
// document counts as loaded when its load event has not come (an image or script that
// never arrives holds that event for ever). The registry on the top window maps tokens to
// documents and holds the kept element references; a cross-origin frame cannot reach the
// top window, so it is reported but never found. The top document also reports, with its
// navigation alone, once its content is parsed, and offers Trovix (in this world only) to
// report it complete at once.
(function (binding, navigation, graceMs) {
    // A script of an earlier navigation may still be installed beside this one: only the
    // latest reports.
    if (!(window.__trovixLatest >= navigation))
        window.__trovixLatest = navigation;
    var reported = false;
    function report() {
        if (reported || navigation < window.__trovixLatest)
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
        window[binding](JSON.stringify([token, String(location.href), window === window.top, navigation]));
    }
    window.addEventListener('load', report);
    document.addEventListener('DOMContentLoaded', function () {
        if (window === window.top && navigation >= window.__trovixLatest) {
            window.__trovixReportNow = report;
            window[binding](JSON.stringify([navigation]));
        }
        setTimeout(report, graceMs);
    });
})
