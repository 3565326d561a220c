' Reads input whose lines end in CR LF, a lone CR or LF, counting lines as a TextStream does;
' the last line has no line end.
' stdin: line_ends.in
' expect: 1 [windows] 2
' expect: 2 [old mac] 3
' expect: 3 [unix] 4
' expect: 4 [] 5
' expect: 5 [last] 5
' expect: column after the last line: 5
' expect: at end: True
Dim before, text
Do Until WScript.StdIn.AtEndOfStream
    before = WScript.StdIn.Line
    text = WScript.StdIn.ReadLine
    WScript.Echo before & " [" & text & "] " & WScript.StdIn.Line
Loop
WScript.Echo "column after the last line: " & WScript.StdIn.Column
WScript.Echo "at end: " & WScript.StdIn.AtEndOfStream
