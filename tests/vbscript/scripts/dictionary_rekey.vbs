' Renaming keys again and again keeps the dictionary's index usable: look-ups of keys that
' are not there still end, and every key is found under its new name.
Dim d, i, missing
Set d = CreateObject("Scripting.Dictionary")
d.Add 0, "zero"
d.Add "other", "o"
For i = 1 To 5000
    d.Key(i - 1) = i
Next
missing = 0
For i = 1 To 200
    If Not d.Exists(-i) Then missing = missing + 1
Next
WScript.Echo d.Count & " " & missing & " " & d(5000) & " " & d("other") ' expect: 2 200 zero o
WScript.Echo Join(d.Keys) ' expect: 5000 other
d.Remove 5000
d.Add "new", 1
WScript.Echo Join(d.Keys) & " " & d.Exists(4999) ' expect: other new False
