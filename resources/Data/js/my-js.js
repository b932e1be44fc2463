/* The catalogue page's own script: every <h3> of #accordion becomes the
   header of the <div> that follows it; the first project starts open. */
$(function () {
    // The page puts each description on lines of its own; those outer line
    // breaks are layout, while the ones typed inside it stay (see style.css).
    $(".projectDesc").each(function () {
        var nodes = this.childNodes;
        var first = nodes[0], last = nodes[nodes.length - 1];
        if (first && first.nodeType === 3)
            first.nodeValue = first.nodeValue.replace(/^[ \t]*\r?\n/, "");
        if (last && last.nodeType === 3)
            last.nodeValue = last.nodeValue.replace(/\r?\n[ \t]*$/, "");
    });

    if (!$.fn.accordion)
        return; // without jQuery UI the page still shows every project
    $("#accordion").accordion({
        header: "> h3",
        heightStyle: "content",
        collapsible: true,
        active: 0
    });
});
