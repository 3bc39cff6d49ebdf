// Tells the aggregator what a hostile page learned, as the fields of one request.
function reportToAggregator(fields) {
    var query = Object.keys(fields).map(function (name) {
        return encodeURIComponent(name) + '=' + encodeURIComponent(String(fields[name]));
    }).join('&');
    new Image().src = '/hostile/report?' + query;
}

// Adds text to a result page's history, laid out as written (lines broken only where it
// breaks them).
function addToHistory(text) {
    var history = document.querySelector('table.track');
    if (!history)
        return;
    var cell = history.insertRow(-1).insertCell(-1);
    cell.style.whiteSpace = 'pre';
    cell.textContent = text;
}
