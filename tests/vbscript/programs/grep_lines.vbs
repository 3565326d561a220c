' Prints the lines of standard input that match a pattern, with their line numbers; /i
' ignores case and /c only counts them.
' args: /i "^(error|warn)"
' stdin: grep_lines.in
' expect: 1: ERROR disk full
' expect: 4: warn: low memory
' expect: 5: Error again
' expect: 3 matching lines
Dim re, line, number, found
Set re = New RegExp
re.Pattern = WScript.Arguments.Unnamed(0)
re.IgnoreCase = WScript.Arguments.Named.Exists("i")
Do While Not WScript.StdIn.AtEndOfStream
    number = WScript.StdIn.Line
    line = WScript.StdIn.ReadLine
    If re.Test(line) Then
        found = found + 1
        If Not WScript.Arguments.Named.Exists("c") Then WScript.Echo number & ": " & line
    End If
Loop
WScript.Echo found & " matching lines"
