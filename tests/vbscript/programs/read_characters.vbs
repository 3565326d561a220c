' Reads standard input piece by piece with Read, Skip, AtEndOfLine and SkipLine, and reports
' the stream's Line and Column on the way.
' stdin: read_characters.in
' expect: first 3: abc at 1/4
' expect: after skip 2: f at 1/7
' expect: at end of line: True
' expect: rest of line 2: Ünïcode at 2/8
' expect: line 3 skipped, now 4/1
' expect: ROT13 of the rest: uryyb
' expect: at end: True
Dim s, c, out
s = WScript.StdIn.Read(3)
WScript.Echo "first 3: " & s & " at " & WScript.StdIn.Line & "/" & WScript.StdIn.Column
WScript.StdIn.Skip 2
s = WScript.StdIn.Read(1)
WScript.Echo "after skip 2: " & s & " at " & WScript.StdIn.Line & "/" & WScript.StdIn.Column
WScript.Echo "at end of line: " & WScript.StdIn.AtEndOfLine
WScript.StdIn.Skip 1
s = ""
Do Until WScript.StdIn.AtEndOfLine
    s = s & WScript.StdIn.Read(1)
Loop
WScript.Echo "rest of line 2: " & s & " at " & WScript.StdIn.Line & "/" & WScript.StdIn.Column
WScript.StdIn.SkipLine
WScript.StdIn.SkipLine
WScript.Echo "line 3 skipped, now " & WScript.StdIn.Line & "/" & WScript.StdIn.Column
Do Until WScript.StdIn.AtEndOfStream
    c = WScript.StdIn.Read(1)
    If c >= "a" And c <= "z" Then c = Chr((Asc(c) - 97 + 13) Mod 26 + 97)
    If c <> vbLf Then out = out & c
Loop
WScript.Echo "ROT13 of the rest: " & out
WScript.Echo "at end: " & WScript.StdIn.AtEndOfStream
