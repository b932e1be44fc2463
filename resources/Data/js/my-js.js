/* The catalogue page's own script: every <h3> of #accordion becomes the
   header of the <div> that follows it; the first project starts open. */
$(function () {
    if (!$.fn.accordion)
        return; // without jQuery UI the page still shows every project
    $("#accordion").accordion({
        header: "> h3",
        heightStyle: "content",
        collapsible: true,
        active: 0
    });
});
