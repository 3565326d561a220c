' Counts lines, words and characters of standard input, like wc.
' stdin: word_count.in
' expect: lines=4 words=11 chars=56
' expect: longest line 2: "the quick brown fox jumps"
Dim lines, words, chars, longest, longestAt, text, parts, p
Do While Not WScript.StdIn.AtEndOfStream
    text = WScript.StdIn.ReadLine
    lines = lines + 1
    chars = chars + Len(text)
    If Len(text) > Len(longest) Then longest = text: longestAt = WScript.StdIn.Line - 1
    parts = Split(Trim(text), " ")
    For Each p In parts
        If p <> "" Then words = words + 1
    Next
Loop
WScript.StdOut.WriteLine "lines=" & lines & " words=" & words & " chars=" & chars
WScript.StdOut.WriteLine "longest line " & longestAt & ": """ & longest & """"
