' Counts the words of standard input with a Dictionary and prints the three most frequent.
' stdin: word_frequency.in
' expect: the 4
' expect: cat 3
' expect: sat 2
Dim counts, re, m, w, best, i, k, shown
Set counts = CreateObject("Scripting.Dictionary")
counts.CompareMode = vbTextCompare
Set re = New RegExp
re.Pattern = "[a-z']+"
re.Global = True
re.IgnoreCase = True
For Each m In re.Execute(WScript.StdIn.ReadAll)
    w = LCase(m.Value)
    counts(w) = counts(w) + 1
Next
For i = 1 To 3
    best = ""
    For Each k In counts.Keys
        If best = "" Then
            best = k
        ElseIf counts(k) > counts(best) Then
            best = k
        End If
    Next
    WScript.Echo best & " " & counts(best)
    counts.Remove best
Next
