' Sorts the lines of standard input (read at once with ReadAll) and prints them numbered.
' stdin: sort_lines.in
' expect: 1. apple
' expect: 2. Banana
' expect: 3. cherry
' expect: 4. date
' expect: 4 lines sorted
Dim text, lines, i, j, t, n
text = Replace(WScript.StdIn.ReadAll, vbCrLf, vbLf)
If Right(text, 1) = vbLf Then text = Left(text, Len(text) - 1)
lines = Split(text, vbLf)
n = UBound(lines)
For i = 0 To n - 1
    For j = i + 1 To n
        If StrComp(lines(j), lines(i), vbTextCompare) < 0 Then
            t = lines(i): lines(i) = lines(j): lines(j) = t
        End If
    Next
Next
For i = 0 To n
    WScript.StdOut.WriteLine (i + 1) & ". " & lines(i)
Next
WScript.Echo n + 1 & " lines sorted"
