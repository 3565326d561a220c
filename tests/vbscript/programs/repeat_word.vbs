' Repeats a word as often as /n: says, joined by /sep: (a blank when not given).
' args: /n:3 hip /sep:- hooray
' expect: hip-hip-hip hooray
Dim n, word, sep, i, out
n = CInt(WScript.Arguments.Named("n"))
sep = WScript.Arguments.Named("sep")
If Not WScript.Arguments.Named.Exists("sep") Then sep = " "
word = WScript.Arguments.Unnamed(0)
For i = 1 To n
    If i > 1 Then out = out & sep
    out = out & word
Next
WScript.StdOut.Write out
If WScript.Arguments.Unnamed.Count > 1 Then WScript.StdOut.Write " " & WScript.Arguments.Unnamed(1)
WScript.StdOut.WriteLine
