// Tells the aggregator what a hostile page learned, as the fields of one request.
function reportToAggregator(fields) {
    var query = Object.keys(fields).map(function (name) {
        return encodeURIComponent(name) + '=' + encodeURIComponent(String(fields[name]));
    }).join('&');
    new Image().src = '/hostile/report?' + query;
}
