(function (reference) {
    var element = window.__trovix && window.__trovix.references[reference];
    if (element && typeof element.click === 'function')
        element.click();
})
