var notify = function (value) {
    if (value === null) return undefined;
    var variable = h1 + x-5 + -5 + 3.14 + .5;
    var url = "http://example.com/a"; // a note
    a.b(c);
    this.items[0].push('it', /ab+c/gi);
}
/* block
   comment with if and "quotes" */
// last line without a line feed