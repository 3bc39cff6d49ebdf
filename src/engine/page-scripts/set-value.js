(function (reference, text) {
    var element = window.__trovix && window.__trovix.references[reference];
    if (element)
        element.value = text;
})
