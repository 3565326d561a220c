Dim a(3), s, i, d
For i = 0 To 3: a(i) = i * 2 + 0.5: Next
s = Join(Array("x", a(1), Len("abc")), "-")
If InStr(s, "x") > 0 Then s = UCase(s) Else s = LCase(s)
Select Case Mid(s, 1, 1)
Case "X": d = DateAdd("d", 1, #2026-12-07#)
Case Else: d = Null
End Select
Function F(ByRef v, ByVal w): v = v & w: F = v: End Function
Call F(s, 1)
While i > 0: i = i - 1: Wend
