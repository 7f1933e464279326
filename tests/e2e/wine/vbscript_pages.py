#!/usr/bin/python3
"""Writes pages (NAME.asp) and the output each must produce (NAME.expected), both UTF-8, into the
folder given. The output is worked out by hand: each markup piece without its leading and trailing
line breaks (nothing where only spaces remain), then the value of each expression, in order."""
import os
import sys

folder = sys.argv[1]
CRLF = "\r\n"


def markup(text):
    while text.startswith(CRLF):
        text = text[2:]
    while text.endswith(CRLF):
        text = text[:-2]
    return "" if text.strip(" ") == "" else text


def page(name, pieces):
    """pieces: markup strings, and (code, value) pairs for blocks."""
    source, expected, pending = "", "", ""
    for piece in pieces + [None]:
        if isinstance(piece, str):
            pending += piece  # markup strings in a row are one piece of the page
            continue
        source += pending
        expected += markup(pending)
        pending = ""
        if piece is not None:
            source += "<%" + piece[0] + "%>"
            expected += piece[1]
    for suffix, text in ((".asp", source), (".expected", expected)):
        with open(os.path.join(folder, name + suffix), "wb") as f:
            f.write(text.encode("utf-8"))


page("quotes", [
    '<p class="x">He said "hi" &amp; left</p>' + CRLF,
    (" Dim n : n = 3 ", ""),
    CRLF + "<b>", ("= n * 2 ", "6"), "</b>" + CRLF,
    '""""', ('= """" & "q"', '"q'), ' "',
])

lines = ["a" * 99, "b" * 100, "c" * 101, "d" * 150, '"' * 49, '"' * 50, '"' * 60, "e" * 2000, "",
         "f" * 97, "g" * 98]
page("long_lines", [
    CRLF.join(lines), ('= "' + "x" * 120 + '"', "x" * 120), CRLF.join(reversed(lines)),
    ("= 1", "1"), ("= 2", "2"), "z" * 95, ("= 3", "3"), "y" * 300, ("= 4", "4"),
])

page("many_breaks", [
    CRLF * 3 + CRLF.join("line %d" % i + (CRLF if i % 7 == 0 else "") for i in range(600)) + CRLF * 2,
    (" x = 1 ", ""), CRLF + "   " + CRLF, ("= x", "1"), "  " + CRLF + CRLF + "end",
])

page("rewritten_words", [
    "Text: Response.Write this; Server.CreateObject(x); @!@ and @!" + CRLF + "tail" + CRLF,
    (' Dim s : s = "Server.CreateObject(x) Response.Write y" ', ""), ("= s", "Server.CreateObject(x) Response.Write y"),
    "|", ('Response.Write "abc"', "abc"), "|",
    (' Set d = Server.CreateObject("Scripting.Dictionary") : d.Add "k", 1 ', ""), ("= d.Count", "1"),
    (' t = "@!" _' + CRLF + '  & "z" ', ""), ("=t", "@!z"),
    (CRLF + '  response.write "q"' + CRLF, "q"),
    ("=\"RESPONSE.WRITE \" & \"@!@\"", "RESPONSE.WRITE @!@"),
])

# Within code page 1252, the only one Wine's script host reads scripts in; characters beyond it are
# covered by the clipboard tests.
page("accents", ["caf\u00e9 \u20ac ", ('= "\u00fc" & "\u00df"', "\u00fc\u00df"), " na\u00efve"])

page("adjacent_expressions", [("= 1 ", "1"), ("= 2", "2"), ('="x"', "x"), ("", ""), ("=3", "3")])
